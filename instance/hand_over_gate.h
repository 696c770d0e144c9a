// The primary's count of hand-over threads: how many may be pending at once,
// and the point in the teardown after which none may use the launcher's state
// or the virtual machine any more.
#pragma once

#include <windows.h>

namespace instance {

class HandOverGate {
 public:
  // Most hand-over threads at once; a notification beyond is refused.
  static constexpr unsigned kMostPending = 64;

  enum class Admission { Admitted, Full, Closed };
  // The listener, before it starts a hand-over thread: refused when the gate
  // is closed or kMostPending threads still run. Each admission is ended by
  // one Done.
  Admission Admit();
  // A hand-over thread, before it uses the virtual machine: false once the
  // gate is closed.
  bool MayProceed();
  // A hand-over thread's last step; it touches nothing of the launcher after.
  void Done();
  // Admits no thread and lets none proceed from now on.
  void Close();
  // Waits up to `waitMs` until every admitted thread is done. True when none
  // is left.
  bool WaitUntilAllDone(DWORD waitMs);

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
  CONDITION_VARIABLE allDone_ = CONDITION_VARIABLE_INIT;
  unsigned running_ = 0;
  bool closed_ = false;
};

}  // namespace instance
