#include "tests/support/process_runner.h"

#include <cstdio>
#include <utility>
#include <vector>

namespace testsupport {
namespace {

// A copy of this process's environment with the requested changes, as the
// sorted block CreateProcessW takes.
std::vector<wchar_t> EnvironmentBlock(const std::map<std::wstring, std::optional<std::wstring>>& changes) {
  std::map<std::wstring, std::wstring, bool (*)(const std::wstring&, const std::wstring&)> vars(
      [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
  wchar_t* block = GetEnvironmentStringsW();
  for (const wchar_t* p = block; *p; p += wcslen(p) + 1) {
    std::wstring entry = p;
    size_t eq = entry.find(L'=', 1);  // names like "=C:" start with "="
    if (eq == std::wstring::npos) continue;
    vars[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  FreeEnvironmentStringsW(block);
  for (const auto& [name, value] : changes) {
    if (value) {
      vars[name] = *value;
    } else {
      vars.erase(name);
    }
  }
  std::vector<wchar_t> out;
  for (const auto& [name, value] : vars) {
    std::wstring entry = name + L"=" + value;
    out.insert(out.end(), entry.begin(), entry.end());
    out.push_back(L'\0');
  }
  out.push_back(L'\0');
  return out;
}

HANDLE OpenForChild(const std::wstring& path) {
  SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
  return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

Process::~Process() { Kill(); }

Process::Process(Process&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Kill();
    process_ = std::exchange(other.process_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

bool RunsElevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  const BOOL known = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
  CloseHandle(token);
  return known && elevation.TokenIsElevated != 0;
}

namespace {

// A primary token for an unelevated child: the limited token linked to this
// elevated process's own; none when this process is not elevated.
HANDLE LimitedToken() {
  HANDLE token = nullptr, primary = nullptr;
  if (!RunsElevated() || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
  TOKEN_LINKED_TOKEN linked{};
  DWORD size = 0;
  if (GetTokenInformation(token, TokenLinkedToken, &linked, sizeof linked, &size)) {
    DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary, &primary);
    CloseHandle(linked.LinkedToken);
  }
  CloseHandle(token);
  return primary;
}

}  // namespace

Process Process::Start(const std::wstring& exe, const std::wstring& commandLine, const RunOptions& options) {
  Process p;
  std::vector<wchar_t> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back(L'\0');
  std::vector<wchar_t> env = EnvironmentBlock(options.environment);
  std::wstring dir = options.workingDirectory;
  if (dir.empty()) dir = exe.substr(0, exe.rfind(L'\\'));

  STARTUPINFOW si{};
  si.cb = sizeof(si);
  HANDLE out = nullptr, err = nullptr;
  BOOL inherit = FALSE;
  if (!options.stdoutFile.empty() || !options.stderrFile.empty()) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    out = options.stdoutFile.empty() ? nullptr : OpenForChild(options.stdoutFile);
    err = options.stderrFile.empty() ? nullptr : OpenForChild(options.stderrFile);
    si.hStdOutput = out ? out : GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = err ? err : GetStdHandle(STD_ERROR_HANDLE);
    inherit = TRUE;
  }
  if (options.noStandardHandles) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = nullptr;
  }
  PROCESS_INFORMATION pi{};
  const HANDLE limited = options.unelevated ? LimitedToken() : nullptr;
  auto start = [&] {
    std::vector<wchar_t> text = cmd;  // CreateProcessW may write into the command line
    if (limited != nullptr) {
      return CreateProcessAsUserW(limited, exe.c_str(), text.data(), nullptr, nullptr, inherit,
                                  CREATE_UNICODE_ENVIRONMENT, env.data(), dir.c_str(), &si, &pi);
    }
    return CreateProcessW(exe.c_str(), text.data(), nullptr, nullptr, inherit, CREATE_UNICODE_ENVIRONMENT,
                          env.data(), dir.c_str(), &si, &pi);
  };
  // Under load Wine now and then loses a new process while it sets it up,
  // before any of the program's own code runs, and reports an internal error
  // (1359). That is the emulator's start failing, not the program: such a
  // start is made once more, and said so on standard error.
  BOOL started = start();
  if (!started && GetLastError() == ERROR_INTERNAL_ERROR) {
    fwprintf(stderr, L"process_runner: Wine failed to start %ls (error 1359); starting it once more\n", exe.c_str());
    started = start();
  }
  if (started) {
    CloseHandle(pi.hThread);
    p.process_ = pi.hProcess;
    p.id_ = pi.dwProcessId;
  }
  if (limited != nullptr) CloseHandle(limited);
  if (out && out != INVALID_HANDLE_VALUE) CloseHandle(out);
  if (err && err != INVALID_HANDLE_VALUE) CloseHandle(err);
  return p;
}

bool Process::Wait(DWORD milliseconds) {
  return process_ != nullptr && WaitForSingleObject(process_, milliseconds) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_ != nullptr) GetExitCodeProcess(process_, &code);
  return code;
}

void Process::Kill() {
  if (process_ == nullptr) return;
  if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
    TerminateProcess(process_, 0xDEAD);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
  process_ = nullptr;
}

RunResult RunProcess(const std::wstring& exe, const std::wstring& commandLine, const RunOptions& options,
                     DWORD timeoutMs) {
  RunResult result;
  Process p = Process::Start(exe, commandLine, options);
  result.started = p.started();
  if (!result.started) return result;
  result.finished = p.Wait(timeoutMs);
  result.exitCode = p.ExitCode();
  return result;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

bool Eventually(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(50);
  }
  return true;
}

}  // namespace testsupport
