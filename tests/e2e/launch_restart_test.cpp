// Restart end to end: an application that ends with its "Restart Code" runs
// again with the same command line, at most three times a minute, once the
// launcher that ran it has ended.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/double_app.h"
#include "tests/support/ui_driver.h"

namespace {

constexpr DWORD kWait = 60000;

bool Eventually(const std::function<bool()>& done) { return testsupport::Eventually(done, kWait); }

// A launcher copy whose runtime is the double, with a diagnostics log.
class App {
 public:
  explicit App(const std::wstring& applicationLines, const std::wstring& mainClass = L"test.Echo") {
    settings_.mainClass = mainClass;
    settings_.applicationLines = applicationLines;
    double_.Write(settings_);
  }
  testsupport::RunOptions Options() const {
    return double_.Options({{L"VORN_LAUNCHER_LOG", log()}});
  }
  testsupport::LauncherRun Run(const std::wstring& arguments = L"") const {
    return double_.app.Run(arguments, Options(), kWait);
  }
  std::wstring path(const std::wstring& relative) const { return double_.app.path(relative); }
  std::wstring log() const { return path(L"run.log"); }
  std::wstring LogText() const { return testsupport::ReadTextFile(log()); }
  const testsupport::DoubleApp& double_app() const { return double_; }

 private:
  testsupport::Settings settings_;
  testsupport::DoubleApp double_;
};

int Count(const std::wstring& text, const std::wstring& piece) {
  int count = 0;
  for (auto at = text.find(piece); at != std::wstring::npos; at = text.find(piece, at + 1)) ++count;
  return count;
}

// A message box of any process whose text holds `piece`.
HWND FindBoxSaying(const std::wstring& piece) {
  struct Search {
    const std::wstring* piece;
    HWND found = nullptr;
  } search{&piece};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (!IsWindowVisible(window)) return TRUE;
        const testsupport::WindowInfo info = testsupport::ReadWindow(window);
        if (info.className == L"#32770" && info.StaticText().find(*s->piece) != std::wstring::npos) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST(LaunchRestart, TheRestartCodeRunsTheSameCommandLineAgainAtMostThreeTimesAMinute) {
  App app(L"Restart Code=23\r\n", L"test.Exit");
  const testsupport::LauncherRun first = app.Run(L"23 \"two words\"");
  ASSERT_TRUE(first.result.finished);
  EXPECT_EQ(first.result.exitCode, 0u) << "a launcher that starts the application again ends with 0";

  // The fourth exit with the code stays: its launcher says so and ends with it.
  HWND box = nullptr;
  ASSERT_TRUE(Eventually([&] { return (box = FindBoxSaying(L"\"Restart Code\" 23")) != nullptr; }))
      << "no box about the restarts appeared; the log reads:\n"
      << testing::PrintToString(app.LogText());
  EXPECT_EQ(testsupport::ReadWindow(box).StaticText(),
            L"app.exe ended with its \"Restart Code\" 23 a fourth time within a minute: it is not started again.\n");
  DWORD boxProcess = 0;
  GetWindowThreadProcessId(box, &boxProcess);
  HANDLE last = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, boxProcess);
  ASSERT_NE(last, nullptr);
  testsupport::PressButton(box, IDOK);
  EXPECT_EQ(WaitForSingleObject(last, kWait), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(last, &code);
  CloseHandle(last);
  EXPECT_EQ(code, 23u);

  const testsupport::DoubleRecord record = app.double_app().Record();
  ASSERT_EQ(record.calls.size(), 4u) << app.double_app().RecordText();
  for (const testsupport::DoubleCall& call : record.calls) {
    EXPECT_EQ(call.args, (std::vector<std::wstring>{L"23", L"two words"}));
  }
  EXPECT_EQ(Count(app.LogText(), L"restart: waiting for process "), 3) << testing::PrintToString(app.LogText());
}

TEST(LaunchRestart, TheNewLauncherWaitsForTheProcessThatStartedIt) {
  App app(L"");
  // A process that stands for the launcher that asked for the restart.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION old{};
  std::wstring command = L"cmd.exe /c exit";
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED | CREATE_NO_WINDOW,
                             nullptr, nullptr, &startup, &old));
  CloseHandle(old.hThread);

  testsupport::RunOptions options = app.Options();
  options.environment[L"VORN_RESTART"] = std::to_wstring(old.dwProcessId);
  testsupport::Process launcher =
      testsupport::Process::Start(app.path(L"app.exe"), testsupport::Quoted(app.path(L"app.exe")), options);
  ASSERT_TRUE(launcher.started());
  const std::wstring waiting = L"restart: waiting for process " + std::to_wstring(old.dwProcessId) + L" to end";
  ASSERT_TRUE(Eventually([&] { return app.LogText().find(waiting) != std::wstring::npos; }))
      << testing::PrintToString(app.LogText());
  EXPECT_FALSE(app.double_app().Record().exists) << "the VM was created before the old process ended";
  EXPECT_NE(launcher.ExitCode(), 0u);

  TerminateProcess(old.hProcess, 0);
  CloseHandle(old.hProcess);
  ASSERT_TRUE(launcher.Wait(kWait));
  EXPECT_EQ(launcher.ExitCode(), 0u);
  EXPECT_EQ(app.double_app().Record().calls.size(), 1u);
  EXPECT_EQ(app.double_app().Record().env.count(L"VORN_RESTART"), 0u);
}

}  // namespace
