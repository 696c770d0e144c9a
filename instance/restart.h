// The restart edge: the new launcher's wait for the one that started it, and
// the start of the executable again as this process was started.
#pragma once

#include <cstdint>
#include <string>

#include "common/win_handles.h"
#include "instance/restart_rules.h"

namespace instance {

struct Restart {
  // First thing at the start: takes the record an earlier launcher left in
  // the environment (and removes it there), and waits until that launcher's
  // process has ended, so its files and its single-instance block are free.
  void TakeOver();
  // Keeps the environment as it is now, before the launch changes it, for a
  // later StartAgain.
  void Keep();
  // Whether one more restart keeps within the bound.
  bool Allowed() const;
  // Starts `executablePath` again with this process's command line, startup
  // information, kept environment and current folder (the launcher changes
  // it only to the executable's folder, which the new start then does as
  // well). The record goes along; for a restart (`isRestart`) with this
  // restart counted and this process's id, for the new launcher to wait for
  // (a launcher that waits for the new one itself hands over no id). The
  // new process, or none when it could not be started (the error is logged).
  win::Handle StartAgain(const std::wstring& executablePath, bool isRestart) const;

  RestartRecord record;
  std::wstring environment;
};

}  // namespace instance
