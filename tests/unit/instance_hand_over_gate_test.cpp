// The primary's gate for hand-over threads: a bound on how many run at once,
// and a teardown that lets none use the launcher or the virtual machine after
// it closed and waits for every one to end.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

#include "instance/hand_over_gate.h"

namespace {

using instance::HandOverGate;
using Admission = HandOverGate::Admission;

TEST(HandOverGate, AdmitsABoundedNumberOfThreadsUntilClosed) {
  HandOverGate gate;
  for (unsigned i = 0; i < HandOverGate::kMostPending; ++i) ASSERT_EQ(gate.Admit(), Admission::Admitted) << i;
  EXPECT_EQ(gate.Admit(), Admission::Full) << "no thread beyond the bound";
  gate.Done();
  EXPECT_EQ(gate.Admit(), Admission::Admitted) << "a thread that ended makes room";
  EXPECT_TRUE(gate.MayProceed());
  gate.Close();
  EXPECT_EQ(gate.Admit(), Admission::Closed);
  EXPECT_FALSE(gate.MayProceed()) << "no admitted thread may go on once closed";
  for (unsigned i = 0; i < HandOverGate::kMostPending; ++i) gate.Done();
  EXPECT_TRUE(gate.WaitUntilAllDone(0));
  EXPECT_EQ(gate.Admit(), Admission::Closed) << "closed for good";
}

struct Worker {
  HandOverGate* gate;
  HANDLE release;
  std::atomic<bool> finished{false};
};

DWORD WINAPI WorkerMain(LPVOID parameter) {
  auto& worker = *static_cast<Worker*>(parameter);
  WaitForSingleObject(worker.release, 60000);
  worker.finished = true;
  worker.gate->Done();
  return 0;
}

TEST(HandOverGate, TheTeardownWaitsForEveryAdmittedThread) {
  HandOverGate gate;
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  Worker worker{&gate, release};
  ASSERT_EQ(gate.Admit(), Admission::Admitted);
  HANDLE thread = CreateThread(nullptr, 0, &WorkerMain, &worker, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  gate.Close();
  EXPECT_FALSE(gate.WaitUntilAllDone(100)) << "the thread still runs";
  SetEvent(release);
  EXPECT_TRUE(gate.WaitUntilAllDone(60000));
  EXPECT_TRUE(worker.finished) << "the wait ended only after the thread was done";
  WaitForSingleObject(thread, 60000);
  CloseHandle(thread);
  CloseHandle(release);
}

}  // namespace
