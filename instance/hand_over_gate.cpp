#include "instance/hand_over_gate.h"

#include <windows.h>

namespace instance {

HandOverGate::Admission HandOverGate::Admit() {
  if (closed_) return Admission::Closed;
  if (running_.fetch_add(1) >= kMostPending) {
    --running_;
    return Admission::Full;
  }
  return Admission::Admitted;
}

bool HandOverGate::WaitUntilAllDone(unsigned long waitMs) const {
  const ULONGLONG deadline = GetTickCount64() + waitMs;
  while (running_ > 0) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(5);  // threads that notice the closed gate end at once
  }
  return true;
}

}  // namespace instance
