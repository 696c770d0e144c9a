// The test-double splashscreen.dll: records each call of the runtime's splash
// library, with the thread it came on (README.md in the folder above).
#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "../double_record.h"

namespace {

// The process's first thread: the one created earliest.
DWORD FirstThreadId() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  DWORD first = 0;
  ULONGLONG earliest = ~0ULL;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
    HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
    if (thread == nullptr) continue;
    FILETIME created, exited, kernel, user;
    if (GetThreadTimes(thread, &created, &exited, &kernel, &user)) {
      ULONGLONG time = (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
      if (time < earliest) {
        earliest = time;
        first = entry.th32ThreadID;
      }
    }
    CloseHandle(thread);
  }
  CloseHandle(snapshot);
  return first;
}

void RecordCall(const std::string& what, const std::string& rest = "") {
  std::string line = "splash " + what + " main=" + (GetCurrentThreadId() == FirstThreadId() ? "1" : "0");
  if (!rest.empty()) line += " " + rest;
  jvmdouble::Record(line);
}

std::string Text(const char* text) { return text == nullptr ? "<null>" : jvmdouble::EscapeNarrow(text); }

}  // namespace

extern "C" {

#ifndef SPLASH_DOUBLE_WITHOUT_INIT
__declspec(dllexport) void SplashInit() { RecordCall("SplashInit"); }
#endif

__declspec(dllexport) int SplashLoadFile(const char* file) {
  RecordCall("SplashLoadFile", "file=" + Text(file));
  return 1;
}

__declspec(dllexport) void SplashSetFileJarName(const char* file, const char* jar) {
  RecordCall("SplashSetFileJarName", "file=" + Text(file) + " jar=" + Text(jar));
}

__declspec(dllexport) void SplashClose() { RecordCall("SplashClose"); }

}  // extern "C"
