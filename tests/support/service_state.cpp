// A client of the Service Control Manager for scripts under Wine (Wine's own
// sc.exe says nothing on errors):
//   service_state wait <name> running|stopped|gone <milliseconds>
//     polls until the service is in that state (or no longer exists); exit 0
//     when it got there, 1 when not, and the last state on standard output;
//   service_state hold <file>
//     an ordinary Wine process that keeps the prefix's services alive until
//     <file> exists (at most ten minutes).
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/service_client.h"

namespace {

const char* StateName(const std::optional<SERVICE_STATUS_PROCESS>& status) {
  if (!status) return "gone";
  switch (status->dwCurrentState) {
    case SERVICE_RUNNING: return "running";
    case SERVICE_STOPPED: return "stopped";
    case SERVICE_START_PENDING: return "start-pending";
    case SERVICE_STOP_PENDING: return "stop-pending";
    default: return "other";
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"hold") {
    for (int i = 0; i < 6000 && GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
    return 0;
  }
  if (argc != 5 || std::wstring(argv[1]) != L"wait") {
    std::fprintf(stderr, "usage: service_state wait <name> running|stopped|gone <ms> | hold <file>\n");
    return 2;
  }
  const std::wstring want = argv[3];
  const ULONGLONG end = GetTickCount64() + _wtoi(argv[4]);
  std::optional<SERVICE_STATUS_PROCESS> status;
  for (;;) {
    status = testsupport::QueryServiceByName(argv[2]);
    const std::string name = StateName(status);
    if (std::wstring(name.begin(), name.end()) == want || GetTickCount64() >= end) break;
    Sleep(50);
  }
  const std::string name = StateName(status);
  std::printf("%s", name.c_str());
  if (status && status->dwCurrentState == SERVICE_STOPPED) {
    std::printf(" %lu %lu", status->dwWin32ExitCode, status->dwServiceSpecificExitCode);
  }
  std::printf("\n");
  return std::wstring(name.begin(), name.end()) == want ? 0 : 1;
}
