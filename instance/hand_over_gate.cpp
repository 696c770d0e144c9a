#include "instance/hand_over_gate.h"

namespace instance {

namespace {

class Held {
 public:
  explicit Held(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
  ~Held() { ReleaseSRWLockExclusive(&lock_); }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;

 private:
  SRWLOCK& lock_;
};

}  // namespace

HandOverGate::Admission HandOverGate::Admit() {
  Held held(lock_);
  if (closed_) return Admission::Closed;
  if (running_ >= kMostPending) return Admission::Full;
  ++running_;
  return Admission::Admitted;
}

bool HandOverGate::MayProceed() {
  Held held(lock_);
  return !closed_;
}

void HandOverGate::Done() {
  Held held(lock_);
  if (running_ > 0 && --running_ == 0) WakeAllConditionVariable(&allDone_);
}

void HandOverGate::Close() {
  Held held(lock_);
  closed_ = true;
}

bool HandOverGate::WaitUntilAllDone(DWORD waitMs) {
  Held held(lock_);
  const ULONGLONG deadline = GetTickCount64() + waitMs;
  while (running_ > 0) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    SleepConditionVariableSRW(&allDone_, &lock_, static_cast<DWORD>(deadline - now), 0);
  }
  return true;
}

}  // namespace instance
