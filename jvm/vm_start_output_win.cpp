#include "jvm/vm_start_output_win.h"

#include <windows.h>

#include <string_view>

#include "common/text.h"
#include "common/text_win.h"
#include "jvm/vm_output.h"
#include "report/diagnostics_log.h"

namespace jvm {
namespace {

// The pipe's reading end, for the life of the process (the VM keeps the
// writing end as its standard handles).
constinit HANDLE heldOutput = nullptr;
// Held while the pipe is read during the start, so that a collection finds
// every byte either still in the pipe or already kept.
constinit SRWLOCK readLock = SRWLOCK_INIT;

bool Lacks(DWORD standard) {
  const HANDLE handle = GetStdHandle(standard);
  return handle == nullptr || handle == INVALID_HANDLE_VALUE;
}

void KeepWhatThePipeHolds() {
  AcquireSRWLockExclusive(&readLock);
  char buffer[4096];
  DWORD available = 0, read = 0;
  while (PeekNamedPipe(heldOutput, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
         ReadFile(heldOutput, buffer, available < sizeof buffer ? available : sizeof buffer, &read, nullptr) &&
         read > 0) {
    KeepVmOutput(std::string_view(buffer, read));
  }
  ReleaseSRWLockExclusive(&readLock);
}

DWORD WINAPI ReadHeldOutput(LPVOID) {
  // Looked at, not waited on, while the VM starts: a blocking read could not
  // let a collection in between.
  while (VmStarting()) {
    KeepWhatThePipeHolds();
    Sleep(10);
  }
  KeepWhatThePipeHolds();
  // Then read as it comes, so that a full pipe never stops a writer.
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(heldOutput, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    if (diag::Enabled()) diag::Log({"VM output: ", text::FromThreadAnsi(std::string(buffer, read))});
  }
  return 0;
}

}  // namespace

void HoldMissingStandardHandles() {
  const bool output = Lacks(STD_OUTPUT_HANDLE), error = Lacks(STD_ERROR_HANDLE);
  if (heldOutput != nullptr || (!output && !error)) return;
  HANDLE read = nullptr, write = nullptr;
  // Not inheritable: what the application starts gets no handle of it unless
  // it hands its own streams on.
  if (!CreatePipe(&read, &write, nullptr, 0)) return;
  heldOutput = read;
  if (output) SetStdHandle(STD_OUTPUT_HANDLE, write);
  if (error) SetStdHandle(STD_ERROR_HANDLE, write);
  StandardStreamsHeld(output, error);
  // Runs for the life of the process; its handle is not needed.
  if (HANDLE thread = CreateThread(nullptr, 64 * 1024, &ReadHeldOutput, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION,
                                   nullptr)) {
    CloseHandle(thread);
  }
}

void CollectHeldOutput() {
  if (heldOutput != nullptr) KeepWhatThePipeHolds();
}

std::wstring VmWords() {
  CollectHeldOutput();
  return text::Trim(text::FromThreadAnsi(VmOutputTail()));
}

}  // namespace jvm
