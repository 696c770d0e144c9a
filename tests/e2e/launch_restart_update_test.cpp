// Restart and staged update end to end: an application that ends with its
// "Restart Code" runs again with the same command line, at most three times a
// minute; files staged in the "Update Folder" replace the application's all
// or none, before the runtime is loaded.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/double_app.h"
#include "tests/support/test_files.h"
#include "tests/support/ui_driver.h"

namespace {

using testsupport::FileExists;

constexpr DWORD kWait = 60000;

bool Eventually(const std::function<bool()>& done) { return testsupport::Eventually(done, kWait); }

std::wstring Content(const std::wstring& path) { return testsupport::ReadTextFile(path); }
void Put(const std::wstring& path, const std::wstring& text) {
  testsupport::WriteTextFile(path, text, testsupport::Encoding::Ansi);
}

// A launcher copy whose runtime is the double, with a diagnostics log.
class App {
 public:
  explicit App(const std::wstring& applicationLines, const std::wstring& mainClass = L"test.Echo") {
    settings_.mainClass = mainClass;
    settings_.applicationLines = applicationLines;
    double_.Write(settings_);
  }
  // The settings file as it would be with `applicationLines` instead.
  std::wstring IniWith(const std::wstring& applicationLines) const {
    return L"[Java Runtime Environment]\r\nJRE Path=" + double_.jre() + L"\r\nMain Class=" + settings_.mainClass +
           L"\r\n[Class Path]\r\nClass Path=" + settings_.classPath + L"\r\n[Application]\r\n" + applicationLines;
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

TEST(StagedUpdate, AJarTheSettingsAndTheExecutableAreReplacedAndTheNewVersionRuns) {
  App app(L"Update Folder=update\r\n");
  Put(app.path(L"lib\\app.jar"), L"old jar");
  Put(app.path(L"update\\lib\\app.jar"), L"new jar");
  Put(app.path(L"update\\lib\\added\\more.jar"), L"added");
  testsupport::WriteTextFile(app.path(L"update\\app.ini"), app.IniWith(L"Update Folder=update\r\nCmd=new-version\r\n"));
  testsupport::CopyFileTo(app.path(L"app.exe"), app.path(L"update\\app.exe"));
  Put(app.path(L"update\\ready"), L"");

  const testsupport::LauncherRun run = app.Run();
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u) << testing::PrintToString(app.LogText());
  EXPECT_EQ(Content(app.path(L"lib\\app.jar")), L"new jar");
  EXPECT_EQ(Content(app.path(L"lib\\added\\more.jar")), L"added");
  EXPECT_FALSE(FileExists(app.path(L"update"))) << "the update folder stays after a whole update";
  EXPECT_FALSE(FileExists(app.path(L"update.journal")));
  EXPECT_FALSE(FileExists(app.path(L"lib\\app.jar.update-old")));
  // The new launcher read the new settings.
  EXPECT_EQ(app.double_app().MainArguments(), std::vector<std::wstring>{L"new-version"});
  const std::wstring log = app.LogText();
  for (const wchar_t* replaced : {L"update: replaced app.exe", L"update: replaced app.ini", L"update: replaced lib\\app.jar"}) {
    EXPECT_NE(log.find(replaced), std::wstring::npos) << testing::PrintToString(log);
  }
  // The executable set aside goes at the next start.
  app.Run();
  EXPECT_FALSE(FileExists(app.path(L"app.exe.update-old")));
}

// The files below `folder` in the order a walk of it meets them (folders
// entered where they are met), as the launcher applies them.
void ListFiles(const std::wstring& folder, const std::wstring& below, std::vector<std::wstring>& files) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + below + L"*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ListFiles(folder, below + name + L"\\", files);
    } else if (!below.empty() || name != L"ready") {
      files.push_back(below + name);
    }
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

TEST(StagedUpdate, AFileHeldOpenByAnotherProgramLeavesEveryOldFileAndSaysWhy) {
  App app(L"Update Folder=update\r\n");
  const std::vector<std::wstring> files = {L"a.txt", L"b.txt", L"lib\\app.jar"};
  for (const std::wstring& file : files) {
    Put(app.path(file), L"old " + file);
    Put(app.path(L"update\\" + file), L"new " + file);
  }
  Put(app.path(L"update\\ready"), L"");
  // The last file the update reaches is held, so the others are replaced
  // first and put back; without delete sharing, as a running program holds it.
  std::vector<std::wstring> order;
  ListFiles(app.path(L"update\\"), L"", order);
  ASSERT_EQ(order.size(), files.size());
  const std::wstring last = order.back();
  HANDLE held = CreateFileW(app.path(last).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const testsupport::LauncherRun run = app.Run();
  CloseHandle(held);

  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u);
  EXPECT_EQ(app.double_app().Record().calls.size(), 1u) << "the application did not run with its old files";
  for (const std::wstring& file : files) {
    EXPECT_EQ(Content(app.path(file)), L"old " + file);
    EXPECT_EQ(Content(app.path(L"update\\" + file)), L"new " + file) << "the update lost a file";
    EXPECT_FALSE(FileExists(app.path(file + L".update-old")));
  }
  EXPECT_EQ(Content(app.path(L"update\\failed")), last + L": in use by another program\r\n");
  EXPECT_FALSE(FileExists(app.path(L"update.journal")));
  EXPECT_NE(app.LogText().find(L"update: not applied, the application starts with its old files: " + last),
            std::wstring::npos)
      << testing::PrintToString(app.LogText());
}

TEST(StagedUpdate, AStartKilledHalfWayIsFinishedOrUndoneAndNeverLeavesAMix) {
  const struct {
    const char* state;
    std::wstring journal;
    bool bothMovedIn;
  } cases[] = {
      {"a.txt replaced, b.txt not yet", L"a.txt\nb.txt\n", false},
      {"both in place, the tidy-up not done", L"a.txt\nb.txt\n*done\n", true},
  };
  for (const auto& c : cases) {
    App app(L"Update Folder=update\r\n");
    for (const wchar_t* file : {L"a.txt", L"b.txt"}) {
      Put(app.path(file), std::wstring(L"old ") + file);
      Put(app.path(L"update\\") + file, std::wstring(L"new ") + file);
    }
    Put(app.path(L"update\\ready"), L"");
    Put(app.path(L"update.journal"), c.journal);
    for (const wchar_t* file : {L"a.txt", L"b.txt"}) {
      MoveFileW(app.path(file).c_str(), (app.path(file) + L".update-old").c_str());
      MoveFileW((app.path(L"update\\") + file).c_str(), app.path(file).c_str());
      if (!c.bothMovedIn) break;
    }
    const testsupport::LauncherRun run = app.Run();
    ASSERT_TRUE(run.result.finished) << c.state;
    for (const wchar_t* file : {L"a.txt", L"b.txt"}) {
      EXPECT_EQ(Content(app.path(file)), std::wstring(L"new ") + file) << c.state;
      EXPECT_FALSE(FileExists(app.path(file) + L".update-old")) << c.state;
    }
    EXPECT_FALSE(FileExists(app.path(L"update"))) << c.state;
    EXPECT_FALSE(FileExists(app.path(L"update.journal"))) << c.state;
    EXPECT_EQ(app.double_app().Record().calls.size(), 1u) << c.state;
  }
}

TEST(StagedUpdate, ALinkInTheUpdateFolderRefusesTheWholeUpdate) {
  App app(L"Update Folder=update\r\n");
  testsupport::TempFolder outside;
  Put(outside / L"victim.txt", L"outside");
  Put(app.path(L"a.txt"), L"old");
  Put(app.path(L"update\\a.txt"), L"new");
  testsupport::MakeLink(app.path(L"update\\victim.txt"), outside / L"victim.txt");
  Put(app.path(L"update\\ready"), L"");

  const testsupport::LauncherRun run = app.Run();
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(Content(app.path(L"a.txt")), L"old");
  EXPECT_EQ(Content(outside / L"victim.txt"), L"outside");
  EXPECT_FALSE(FileExists(app.path(L"victim.txt")));
  EXPECT_EQ(Content(app.path(L"update\\failed")), L"the update folder holds or is reached through a link\r\n");
  EXPECT_EQ(app.double_app().Record().calls.size(), 1u);
}

}  // namespace
