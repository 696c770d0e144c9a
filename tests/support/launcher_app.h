// An application folder for end-to-end tests: a copy of the real launcher.exe
// under an application's name, its .ini beside it, and runs of it that read
// and close every error box it shows.
#pragma once

#include <string>
#include <vector>

#include "tests/support/process_runner.h"
#include "tests/support/test_files.h"
#include "tests/support/ui_driver.h"

namespace testsupport {

struct LauncherRun {
  RunResult result;
  std::vector<WindowInfo> boxes;  // every message box shown, in order (each closed with OK)
  std::vector<WindowInfo> runtimeDialogs;  // every "JRE Not Found" dialog shown (each cancelled)
  std::vector<std::wstring> BoxTexts() const;
};

class AppFolder {
 public:
  explicit AppFolder(const std::wstring& exeName = L"app.exe");

  const TempFolder& folder() const { return folder_; }
  std::wstring path(const std::wstring& relative) const { return folder_ / relative; }
  const std::wstring& exe() const { return exe_; }
  std::wstring ini() const;

  // Writes the settings file beside the executable (UTF-16LE with BOM).
  void WriteIni(const std::wstring& content, Encoding encoding = Encoding::Utf16Bom) const;

  // Runs `"<exe>" <arguments>`, closes each message box with OK and cancels
  // each "JRE Not Found" dialog as it appears; the run is killed after
  // `timeoutMs`.
  LauncherRun Run(const std::wstring& arguments = L"", const RunOptions& options = {},
                  DWORD timeoutMs = 30000) const;
  // The command line text exactly as given (program name included).
  LauncherRun RunCommandLine(const std::wstring& commandLine, const RunOptions& options = {},
                             DWORD timeoutMs = 30000) const;
  // `options` with "APPDATA" set to a folder of this application's own, unless
  // they set it: the per-user settings files of a run are never machine-wide.
  RunOptions WithOwnAppData(RunOptions options) const;

 private:
  TempFolder folder_;
  std::wstring exe_;
};

// Writes `settings` into the copy's embedded settings, enciphered with
// `upgradeCode`, with the embed-settings tool; its exit code.
DWORD EmbedSettings(const AppFolder& app, const std::wstring& settings, const std::wstring& upgradeCode);

// A file named like a library that cannot be loaded: the launcher's load
// failure box then names the library its search chose.
void WriteUnloadableLibrary(const std::wstring& path);

// The headers of a library built for the other 64-bit machine than this
// program (ARM64 for x64, x64 for ARM64), and nothing else.
void WriteOtherMachineLibrary(const std::wstring& path);

// The library a run's load failure box names; "(none)" when no box came.
std::wstring FailedLibrary(const LauncherRun& run);

// Message boxes of a process: a "#32770" window with the message text control
// 0xFFFF and the button 1 (OK); dialogs of the launcher are not message boxes.
bool IsMessageBox(const WindowInfo& window);
// The launcher's "JRE Not Found" dialog.
bool IsMissingRuntimeDialog(const WindowInfo& window);

}  // namespace testsupport
