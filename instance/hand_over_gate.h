// The primary's count of hand-over threads: how many may be pending at once,
// and the point in the teardown after which none may use the launcher's state
// or the virtual machine any more.
#pragma once

#include <atomic>

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
  bool MayProceed() const { return !closed_; }
  // A hand-over thread's last step; it touches nothing of the launcher after.
  void Done() { --running_; }
  // Admits no thread and lets none proceed from now on.
  void Close() { closed_ = true; }
  // Waits up to `waitMs` until every admitted thread is done. True when none
  // is left.
  bool WaitUntilAllDone(unsigned long waitMs) const;

 private:
  std::atomic<unsigned> running_{0};
  std::atomic<bool> closed_{false};
};

}  // namespace instance
