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
// Launches writing the same file, and the threads of one, take turns through
// a lock of one byte far beyond any log's end (a lock over the text itself
// would keep readers out):
// appends are not atomic between processes everywhere, so each line is
// placed at the end and written while the lock is held.
constexpr DWORD kTurnOffsetHigh = 0x7FFFFFFF;

void WriteLine(HANDLE file, const std::wstring& line) {
  std::wstring whole = EscapeControls(line);
  whole += L"\r\n";
  const std::string bytes = text::ToUtf8(whole);
  // One write per line at the end of the file, whole: lines of threads and of
  // launches writing the same file may interleave, never mix.
  OVERLAPPED turn{};
  turn.OffsetHigh = kTurnOffsetHigh;
  const bool locked = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &turn) != FALSE;
  DWORD written = 0;
  if (SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_END)) {
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
  if (locked) UnlockFileEx(file, 0, 1, 0, &turn);
}

// "--- launcher started: 2026-12-08 00:40:01.123 UTC, pid 1234, executable
// C:\App\MyApp.exe, launcher 1.0.0": where one run's story begins.
std::wstring HeaderLine() {
  SYSTEMTIME t;
  GetSystemTime(&t);
  wchar_t stamp[100];
  wsprintfW(stamp, L"--- launcher started: %04u-%02u-%02u %02u:%02u:%02u.%03u UTC, pid %lu, executable ", t.wYear,
            t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, GetCurrentProcessId());
  std::wstring line(stamp);
  const std::size_t at = line.size();
  line.resize(at + 32768);
  line.resize(at + GetModuleFileNameW(nullptr, line.data() + at, 32768));
  line += L", launcher " LAUNCHER_VERSION;
  return line;
}

BOOL CALLBACK OpenLogFile(PINIT_ONCE, PVOID, PVOID*) {
  std::wstring path = text::GetEnvironment(kLogVariable);
  if (!path.empty()) {
    logFile = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (logFile != INVALID_HANDLE_VALUE) WriteLine(logFile, HeaderLine());
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

void OpenWhenNamedLater() {
  if (LogFile() == INVALID_HANDLE_VALUE) OpenLogFile(nullptr, nullptr, nullptr);
}

void Log(std::initializer_list<Piece> pieces) {
  HANDLE file = LogFile();
  if (file == INVALID_HANDLE_VALUE) return;
  std::wstring whole;
  for (const Piece& piece : pieces) piece.AppendTo(whole);
  WriteLine(file, whole);
}

}  // namespace diag
