// Starts a program with an exact command line text and reads its full 32-bit
// exit code (wine64 itself passes on only the low 8 bits).
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace testsupport {

struct RunOptions {
  std::wstring workingDirectory;  // empty: the program's folder
  // Variables to set (a value) or to remove (std::nullopt) in a copy of this
  // process's environment.
  std::map<std::wstring, std::optional<std::wstring>> environment;
  std::wstring stdoutFile;  // empty: inherit; else the child's standard output goes there
  std::wstring stderrFile;
  // Start without elevation: an elevated runner (as every Wine process is)
  // gives the child its linked, limited token.
  bool unelevated = false;
  // Start with no standard output or error at all, as Explorer starts a
  // windowed program.
  bool noStandardHandles = false;
};

// Whether this process runs elevated.
bool RunsElevated();

class Process {
 public:
  Process() = default;
  ~Process();  // kills the process if it still runs
  Process(Process&&) noexcept;
  Process& operator=(Process&&) noexcept;

  // `commandLine` is passed to CreateProcessW as it stands (program name
  // included, exactly as the caller wrote it).
  static Process Start(const std::wstring& exe, const std::wstring& commandLine, const RunOptions& options = {});

  bool started() const { return process_ != nullptr; }
  DWORD id() const { return id_; }
  HANDLE handle() const { return process_; }
  // True when the process ended within the time.
  bool Wait(DWORD milliseconds);
  // Exit code (STILL_ACTIVE while it runs).
  DWORD ExitCode() const;
  void Kill();

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

struct RunResult {
  bool started = false;
  bool finished = false;  // false: timed out and killed
  DWORD exitCode = 0;
};

// Starts, waits up to `timeoutMs`, kills on time-out.
RunResult RunProcess(const std::wstring& exe, const std::wstring& commandLine, const RunOptions& options = {},
                     DWORD timeoutMs = 30000);

// "path" quoted for a command line.
std::wstring Quoted(const std::wstring& path);

// Asks `done` every 50 ms until it holds (true) or `timeoutMs` have passed
// (false): a wait for a condition, never a fixed sleep.
bool Eventually(const std::function<bool()>& done, DWORD timeoutMs);

}  // namespace testsupport
