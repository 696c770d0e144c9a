// The private folder the installer is built in on Linux, removed on every way
// out: success, an error, and SIGINT, SIGTERM or SIGHUP. Those signals are
// held while it exists and taken at the points the builder chooses, so the
// removal never runs inside a signal handler. A run ended by SIGKILL leaves
// its folder; the name holds the run's process id, and the next run beside it
// removes the folders of processes that no longer exist.
#pragma once

#ifndef _WIN32
#include <signal.h>
#include <sys/types.h>

#include <filesystem>

namespace package {

class ScratchFolder {
 public:
  ScratchFolder() = default;
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder();  // removes the folder and lets held signals through

  // Makes "<prefix><process id>-<number>" in `parent`, open to its owner
  // only, after removing the ones left by processes that are gone. False
  // when none can be made.
  bool Make(const std::filesystem::path& parent, const char* prefix = ".installer-");
  const std::filesystem::path& path() const { return path_; }

  // A termination signal that arrived since Make ends the run here: every
  // folder of the run is removed and the process ends by that signal.
  void EndIfAsked();

  // Waits for `child` (started with the signal mask of the process before
  // Make: see mask()) to end, its status in `status`; a termination signal
  // meanwhile ends the child and then the run. False when it cannot be waited for.
  bool Wait(pid_t child, int& status);

  // The signal mask to start a child with.
  const sigset_t& mask() const { return previous_; }

 private:
  [[noreturn]] void EndBy(int signal);

  std::filesystem::path path_;
  sigset_t held_{};
  sigset_t previous_{};
  bool holding_ = false;
};

}  // namespace package
#else
namespace package {
class ScratchFolder {};  // the Windows build makes no installer and signs in place
}  // namespace package
#endif
