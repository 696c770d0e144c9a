// The splash route end to end: the runtime's splashscreen.dll (the double in
// the runtime's bin folder) when it is preferred and usable, the own window
// otherwise, and the command-line switches that suppress the splash.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/splash_app.h"
#include "tests/support/test_files.h"

namespace {

using splashtest::TestEvent;
using splashtest::WaitForMain;
using splashtest::WriteSettings;
using testsupport::BinFile;
using testsupport::DoubleApp;
using testsupport::Process;

enum class Library { None, Full, WithoutInit };

struct RouteApp {
  RouteApp(Library library, const std::wstring& preference, const std::wstring& mainClass = L"test.Wait") {
    if (library != Library::None) {
      testsupport::CopyFileTo(
          BinFile(library == Library::Full ? L"double\\splash\\splashscreen.dll"
                                           : L"double\\splash-noinit\\splashscreen.dll"),
          app.jre() + L"\\bin\\splashscreen.dll");
    }
    // A name outside ASCII: the library is handed the path in the ANSI code page.
    testsupport::CopyFileTo(BinFile(L"pictures\\plain.bmp"), picture());
    WriteSettings(app, mainClass,
                  L"Splash Screen=" + picture() + L"\r\nPreffer Native Splash Screen=" + preference + L"\r\n");
  }
  std::wstring picture() const { return app.app.path(L"bild-\u00fc.bmp"); }
  std::vector<std::string> SplashLines() const { return app.Record().LinesStartingWith("splash "); }

  DoubleApp app;
};

std::string Ansi(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  return out;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

// Runs a test.Wait application until main runs; whether an own splash window
// exists then; lets main return and waits for the end.
bool OwnWindowWhileMainRuns(const RouteApp& r) {
  TestEvent mainMayReturn;
  Process process = r.app.Start(L"", {{L"VORN_DOUBLE_WAIT_EVENT", mainMayReturn.name()}});
  bool own = splashtest::WaitForSplash(process).has_value();
  EXPECT_TRUE(WaitForMain(r.app, process)) << r.app.RecordText();
  mainMayReturn.Set();
  EXPECT_TRUE(process.Wait(30000));
  EXPECT_EQ(process.ExitCode(), 0u) << r.app.RecordText();
  return own;
}

TEST(SplashRoute, RuntimeLibraryTakesOverWhenPreferred) {
  RouteApp r(Library::Full, L"yes");
  TestEvent mainMayReturn;
  Process process = r.app.Start(L"", {{L"VORN_DOUBLE_WAIT_EVENT", mainMayReturn.name()}});
  ASSERT_TRUE(WaitForMain(r.app, process)) << r.app.RecordText();
  EXPECT_TRUE(testsupport::ProcessWindowsOfClass(process.id(), splashtest::kSplashClass).empty())
      << "the own window must not show beside the runtime's splash";
  mainMayReturn.Set();
  ASSERT_TRUE(process.Wait(30000));
  EXPECT_EQ(process.ExitCode(), 0u);

  const std::string path = Ansi(r.picture());
  const std::vector<std::string> lines = r.SplashLines();
  ASSERT_EQ(lines.size(), 4u) << r.app.RecordText();
  EXPECT_EQ(lines[0], "splash SplashInit main=1");
  EXPECT_EQ(testsupport::UnescapeNarrow(lines[1]), "splash SplashLoadFile main=1 file=" + path);
  EXPECT_EQ(testsupport::UnescapeNarrow(lines[2]), "splash SplashSetFileJarName main=1 file=" + path + " jar=");
  EXPECT_EQ(lines[3], "splash SplashClose main=1");
  const auto& all = r.app.Record().lines;
  EXPECT_EQ(all.back(), "splash SplashClose main=1") << "SplashClose comes at the end of teardown\n" << Lines(all);
  EXPECT_NE(std::find(all.begin(), all.end(), "destroy"), all.end()) << Lines(all);
}

TEST(SplashRoute, OwnWindowOtherwise) {
  struct Case {
    const char* what;
    Library library;
    std::wstring preference;
    std::vector<std::string> splashLines;  // what the library saw
  };
  const Case cases[] = {
      {"library without SplashInit", Library::WithoutInit, L"Yes", {"splash SplashClose main=1"}},
      {"preference not Yes", Library::Full, L"true", {}},
      {"no library", Library::None, L"YES", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RouteApp r(c.library, c.preference);
    EXPECT_TRUE(OwnWindowWhileMainRuns(r)) << "no own splash window appeared";
    EXPECT_EQ(r.SplashLines(), c.splashLines) << r.app.RecordText();
  }
}

TEST(SplashSwitch, OnlyTheExactSwitchesSuppressTheSplash) {
  struct Case {
    std::wstring arguments;
    std::vector<std::wstring> mainArguments;
    bool splash;
  };
  const Case cases[] = {
      {L"a -nosplash b", {L"a", L"-nosplash", L"b"}, false},
      {L"/nosplash", {L"/nosplash"}, false},
      {L"-NOSPLASH", {L"-NOSPLASH"}, true},
      {L"--nosplash", {L"--nosplash"}, true},
      {L"-nosplash=1", {L"-nosplash=1"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.arguments.begin(), c.arguments.end()));
    RouteApp r(Library::Full, L"Yes", L"test.Echo");
    testsupport::LauncherRun run = r.app.Run(c.arguments);
    ASSERT_TRUE(run.result.finished);
    EXPECT_EQ(run.result.exitCode, 0u) << r.app.RecordText();
    EXPECT_EQ(r.app.MainArguments(), c.mainArguments) << "the switches reach main like any argument";
    EXPECT_EQ(!r.SplashLines().empty(), c.splash) << r.app.RecordText();
  }
}

}  // namespace
