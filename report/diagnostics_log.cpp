#include "report/diagnostics_log.h"

#include <windows.h>

#include <string>

#include "common/text_win.h"

namespace diag {
namespace {

constexpr wchar_t kLogVariable[] = L"VORN_LAUNCHER_LOG";

INIT_ONCE opened = INIT_ONCE_STATIC_INIT;
// Open for the life of the process: every line is one unbuffered write, so a
// process that ends abruptly leaves a complete log.
HANDLE logFile = INVALID_HANDLE_VALUE;

BOOL CALLBACK OpenLogFile(PINIT_ONCE, PVOID, PVOID*) {
  std::wstring path = text::GetEnvironment(kLogVariable);
  if (!path.empty()) {
    logFile = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  return TRUE;
}

// The log file, opened on first use (a one-time initialisation that costs no
// thread library); none when the variable is not set or the file cannot be
// opened.
HANDLE LogFile() {
  InitOnceExecuteOnce(&opened, OpenLogFile, nullptr, nullptr);
  return logFile;
}

}  // namespace

bool Enabled() { return LogFile() != INVALID_HANDLE_VALUE; }

void Log(std::initializer_list<std::wstring_view> pieces) {
  HANDLE file = LogFile();
  if (file == INVALID_HANDLE_VALUE) return;
  std::wstring whole;
  for (std::wstring_view piece : pieces) whole += piece;
  whole += L"\r\n";
  int size = WideCharToMultiByte(CP_UTF8, 0, whole.data(), static_cast<int>(whole.size()), nullptr, 0, nullptr,
                                 nullptr);
  if (size <= 0) return;
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, whole.data(), static_cast<int>(whole.size()), bytes.data(), size, nullptr, nullptr);
  // One write per line: lines of the main and the Java thread never mix.
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace diag
