#include "tests/support/launcher_app.h"

#include <gtest/gtest.h>

#include <set>

namespace testsupport {

std::vector<std::wstring> LauncherRun::BoxTexts() const {
  std::vector<std::wstring> texts;
  for (const auto& box : boxes) texts.push_back(box.StaticText());
  return texts;
}

bool IsMessageBox(const WindowInfo& window) {
  // A message box's text is the static control 0xFFFF, on Windows and Wine alike.
  const ControlInfo* text = window.Control(0xFFFF);
  return window.className == L"#32770" && window.Control(IDOK) != nullptr && text != nullptr &&
         _wcsicmp(text->className.c_str(), L"Static") == 0;
}

bool IsMissingRuntimeDialog(const WindowInfo& window) {
  return window.className == L"#32770" && window.caption == L"JRE Not Found";
}

AppFolder::AppFolder(const std::wstring& exeName) : exe_(folder_ / exeName) {
  CopyFileTo(BinFile(L"launcher.exe"), exe_);
}

std::wstring AppFolder::ini() const { return exe_.substr(0, exe_.rfind(L'.') + 1) + L"ini"; }

void AppFolder::WriteIni(const std::wstring& content, Encoding encoding) const {
  WriteTextFile(ini(), content, encoding);
}

LauncherRun AppFolder::Run(const std::wstring& arguments, const RunOptions& options, DWORD timeoutMs) const {
  std::wstring commandLine = Quoted(exe_);
  if (!arguments.empty()) commandLine += L" " + arguments;
  return RunCommandLine(commandLine, options, timeoutMs);
}

LauncherRun AppFolder::RunCommandLine(const std::wstring& commandLine, const RunOptions& options,
                                      DWORD timeoutMs) const {
  LauncherRun run;
  Process process = Process::Start(exe_, commandLine, options);
  run.result.started = process.started();
  EXPECT_TRUE(run.result.started) << "the launcher copy did not start, error " << GetLastError();
  if (!run.result.started) return run;

  std::set<HWND> seen;
  ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!process.Wait(50)) {
    for (const auto& window : ProcessWindows(process.id())) {
      if (seen.count(window.hwnd)) continue;
      if (IsMessageBox(window)) {
        run.boxes.push_back(window);
        PressButton(window.hwnd, IDOK);
      } else if (IsMissingRuntimeDialog(window)) {
        run.runtimeDialogs.push_back(window);
        PressButton(window.hwnd, IDCANCEL);
      } else {
        continue;
      }
      seen.insert(window.hwnd);
    }
    if (GetTickCount64() >= deadline) {
      ADD_FAILURE() << "the launcher did not end within " << timeoutMs << " ms";
      process.Kill();
      return run;
    }
  }
  run.result.finished = true;
  run.result.exitCode = process.ExitCode();
  return run;
}

}  // namespace testsupport
