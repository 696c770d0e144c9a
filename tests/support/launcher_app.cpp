#include "tests/support/launcher_app.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "runtime/pe_image.h"

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

RunOptions AppFolder::WithOwnAppData(RunOptions options) const {
  options.environment.try_emplace(L"APPDATA", folder_ / L"AppData");
  return options;
}

LauncherRun AppFolder::Run(const std::wstring& arguments, const RunOptions& options, DWORD timeoutMs) const {
  std::wstring commandLine = Quoted(exe_);
  if (!arguments.empty()) commandLine += L" " + arguments;
  return RunCommandLine(commandLine, options, timeoutMs);
}

LauncherRun AppFolder::RunCommandLine(const std::wstring& commandLine, const RunOptions& options,
                                      DWORD timeoutMs) const {
  LauncherRun run;
  Process process = Process::Start(exe_, commandLine, WithOwnAppData(options));
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

DWORD EmbedSettings(const AppFolder& app, const std::wstring& settings, const std::wstring& upgradeCode) {
  std::wstring textFile = app.path(L"embedded.txt");
  WriteTextFile(textFile, settings);
  std::wstring tool = BinFile(L"embed-settings.exe");
  RunResult result =
      RunProcess(tool, Quoted(tool) + L" " + Quoted(app.exe()) + L" " + Quoted(textFile) + L" " + Quoted(upgradeCode));
  EXPECT_TRUE(result.finished);
  return result.exitCode;
}

void WriteUnloadableLibrary(const std::wstring& path) {
  WriteBinaryFile(path, {'n', 'o', 't', ' ', 'a', ' ', 'd', 'l', 'l'});
}

void WriteOtherMachineLibrary(const std::wstring& path) {
  const std::uint16_t machine =
      runtime::kProcessMachine == runtime::kMachineArm64 ? runtime::kMachineAmd64 : runtime::kMachineArm64;
  // A DOS header that names the PE headers right behind it.
  std::vector<unsigned char> image(0x40 + 24, 0);
  image[0] = 'M', image[1] = 'Z', image[0x3C] = 0x40;
  image[0x40] = 'P', image[0x41] = 'E';
  image[0x44] = machine & 0xFF, image[0x45] = machine >> 8;
  WriteBinaryFile(path, image);
}

std::wstring FailedLibrary(const LauncherRun& run) {
  if (run.boxes.empty()) return L"(none)";
  EXPECT_EQ(run.boxes.size(), 1u);
  std::wstring text = run.boxes[0].StaticText();
  const std::wstring prefix = L"Failed to load Java VM library: ";
  std::size_t start = text.find(prefix);
  std::size_t end = text.find(L" (errno", start);
  if (start == std::wstring::npos || end == std::wstring::npos) return L"unexpected box: " + text;
  return text.substr(start + prefix.size(), end - start - prefix.size());
}

}  // namespace testsupport
