#include <windows.h>

#include <cwchar>

#include "common/text.h"
#include "instance/restart.h"
#include "instance/restart_rules.h"
#include "report/diagnostics_log.h"

namespace instance {

namespace {

// When a process was created; 0 when it cannot be read.
std::uint64_t CreationTime(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

}  // namespace

void Restart::TakeOver() {
  wchar_t value[512];
  const DWORD length = GetEnvironmentVariableW(kRestartVariable, value, 512);
  if (length == 0 || length >= 512) return;
  SetEnvironmentVariableW(kRestartVariable, nullptr);
  record = ParseRestartRecord(std::wstring_view(value, length));
  if (record.previousProcess == 0) return;
  win::Handle previous(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, record.previousProcess));
  // A process made after this one has only taken over the id of the one
  // that started it, which has ended.
  if (!previous || CreationTime(previous.get()) > CreationTime(GetCurrentProcess())) return;
  diag::Log({"restart: waiting for process ", text::DecimalText(std::uint64_t{record.previousProcess}), " to end"});
  WaitForSingleObject(previous.get(), INFINITE);
}

void Restart::Keep() {
  const wchar_t* block = GetEnvironmentStringsW();
  if (block != nullptr) {
    const wchar_t* end = block;
    while (*end != L'\0') end += wcslen(end) + 1;
    environment.assign(block, end);
    FreeEnvironmentStringsW(const_cast<wchar_t*>(block));
  }
}

bool Restart::Allowed() const { return RestartAllowed(record, GetTickCount64()); }

win::Handle Restart::StartAgain(const std::wstring& executablePath, bool isRestart) const {
  std::wstring block = environment;
  block += kRestartVariable;
  block += L'=';
  block += RestartRecordText(isRestart ? GetCurrentProcessId() : 0, record, GetTickCount64(), isRestart);
  block += L'\0';
  std::wstring commandLine = GetCommandLineW();
  // As this process was started: its window state and, when it was given
  // them, its standard handles, which it holds as inheritable ones.
  STARTUPINFOW startup{};
  GetStartupInfoW(&startup);
  startup.cb = sizeof startup;
  startup.lpReserved = nullptr;
  startup.cbReserved2 = 0;
  startup.lpReserved2 = nullptr;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(executablePath.c_str(), commandLine.data(), nullptr, nullptr,
                      (startup.dwFlags & STARTF_USESTDHANDLES) != 0, CREATE_UNICODE_ENVIRONMENT, block.data(),
                      nullptr, &startup, &started)) {
    diag::Log({"restart: the executable was not started again: error ",
               text::DecimalText(std::uint64_t{GetLastError()})});
    return {};
  }
  CloseHandle(started.hThread);
  diag::Log({"restart: started again as process ", text::DecimalText(std::uint64_t{started.dwProcessId})});
  return win::Handle(started.hProcess);
}

}  // namespace instance
