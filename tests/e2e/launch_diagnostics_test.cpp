// The diagnostics log named by VORN_LAUNCHER_LOG tells a run's story: where
// the launcher looked for a runtime and why it refused each one, the chosen
// runtime and the options; without the variable nothing is written.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "common/exit_codes.h"
#include "tests/fixtures/installed_runtimes.h"
#include "tests/fixtures/runtime_registry.h"
#include "tests/support/double_app.h"
#include "tests/support/launcher_app.h"
#include "tests/support/test_files.h"

namespace {

void ExpectLines(const std::wstring& log, std::initializer_list<std::wstring> pieces) {
  for (const std::wstring& piece : pieces) {
    EXPECT_NE(log.find(piece), std::wstring::npos) << "the log lacks \"" << piece << "\"; it reads:\n" << log;
  }
}

TEST(LaunchDiagnosticsLog, RunThatFindsNothingTellsWhereItLookedAndWhy) {
  runtimetest::VendorKeys classicKeys;
  runtimetest::InstalledRuntimes installed;
  testsupport::AppFolder app;
  testsupport::TempFolder runtimes;
  ASSERT_TRUE(runtimetest::VendorKeys::Register(runtimetest::View::Native, 1, L"1.4", runtimes / L"old"));
  ASSERT_TRUE(runtimetest::InstalledRuntimes::Register(runtimetest::kInstalledLayouts[0], L"21", runtimes / L"gone"));
  testsupport::WriteTextFile(runtimes / L"nameless\\bin\\server\\jvm.dll", L"x", testsupport::Encoding::Ansi);
  // A runtime beside the executable that lacks bin\java.dll is passed over, and the log says so.
  testsupport::WriteTextFile(app.path(L"jre64\\bin\\server\\jvm.dll"), L"x", testsupport::Encoding::Ansi);
  app.WriteIni(L"[Java Runtime Environment]\r\nMain Class=app.Main\r\nMinimum Version=1.6\r\nJRE Path=" +
               runtimes.path() + L"\\empty\r\n");

  const std::wstring logFile = app.path(L"logs\\..\\run.log");
  testsupport::RunOptions options;
  options.environment[L"VORN_LAUNCHER_LOG"] = logFile;
  options.environment[L"JAVA_HOME"] = runtimes / L"nameless";
  testsupport::LauncherRun run = app.Run(L"", options);
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, exitcode::kLaunchFailedCode);
  EXPECT_TRUE(run.boxes.empty());

  ExpectLines(testsupport::ReadTextFile(app.path(L"run.log")),
              {L"executable " + app.exe(), L"settings file " + app.ini(),
               L"setting [Java Runtime Environment] Minimum Version = \"1.6\" (file)",
               L"looking at \"JRE Path\" " + runtimes.path() + L"\\empty\r\n  passed over: no such folder\r\n",
               L"looking for a private runtime",
               L"  passed over " + app.path(L"jre64\\") + L": no bin\\java.dll\r\n",
               L"looking in the registry key Software\\JavaSoft\\Java Runtime Environment\\",
               L"passed over Software\\JavaSoft\\Java Runtime Environment\\1.4: version outside the range",
               L"looking in HKLM", L"looking in HKCU", L"key Software\\Eclipse Adoptium\\JDK\\",
               L"passed over " + runtimes.path() + L"\\gone\\: no jvm.dll",
               L"looking at JAVA_HOME " + runtimes.path() + L"\\nameless",
               L"passed over " + runtimes.path() + L"\\nameless\\: no version", L"looking in the folder ",
               L"no runtime found", L"exit code -1"});
}

TEST(LaunchDiagnosticsLog, GoodRunTellsRuntimeAndOptionsFailureTellsItsMessage) {
  testsupport::DoubleApp app;
  app.Write(testsupport::Settings{});
  const std::wstring logFile = app.app.path(L"run.log");
  auto run = app.Run(L"", {{L"VORN_LAUNCHER_LOG", logFile}});
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
  const std::wstring log = testsupport::ReadTextFile(logFile);
  ExpectLines(log, {L"setting [Java Runtime Environment] Main Class = \"test.Echo\" (file)",
                    L"chosen runtime library: " + app.jvmDll(), L"VM option -Djava.class.path=C:\\app\\classes.jar",
                    L"Java thread stack size ", L"exit code 0"});

  run = app.Run(L"", {{L"VORN_LAUNCHER_LOG", std::nullopt}});
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u);
  EXPECT_EQ(testsupport::ReadTextFile(logFile), log) << "a run without the variable must not write the log";

  testsupport::Settings missingClass;
  missingClass.mainClass = L"test.Missing";
  app.Write(missingClass);
  run = app.Run(L"", {{L"VORN_LAUNCHER_LOG", logFile}});
  ASSERT_TRUE(run.result.finished);
  ExpectLines(testsupport::ReadTextFile(logFile).substr(log.size()), {L"failure, message 215", L"exit code -1"});
}

// A run's story opens with one line naming the time, the process, the
// executable and the launcher's version; a relative "JRE Path" names the
// folder it is taken from; no logged value can start a line of its own; the
// settings a stage read but nobody set share one line.
TEST(LaunchDiagnosticsLog, EachRunOpensWithItsHeaderAndValuesCannotForgeLines) {
  testsupport::DoubleApp app;
  app.Write(testsupport::Settings{});
  const std::wstring ini = testsupport::ReadTextFile(app.app.ini());
  app.app.WriteIni(std::regex_replace(ini, std::wregex(L"JRE Path=[^\r]*"), L"JRE Path=jre\r\nMinimum Verison=17"));
  const std::wstring logFile = app.app.path(L"run.log");
  testsupport::Process process = app.Start(L"\"one\nexit code 7\"", {{L"VORN_LAUNCHER_LOG", logFile}});
  ASSERT_TRUE(process.started());
  ASSERT_TRUE(process.Wait(60000));
  ASSERT_EQ(process.ExitCode(), 0u) << app.RecordText();
  const auto record = app.Record();
  ASSERT_NE(record.Main(), nullptr) << app.RecordText();
  EXPECT_EQ(record.Main()->args, (std::vector<std::wstring>{L"one\nexit code 7"}));

  const std::wstring log = testsupport::ReadTextFile(logFile);
  std::vector<std::wstring> lines;
  std::wistringstream stream(log);
  for (std::wstring line; std::getline(stream, line);) {
    lines.push_back(line.substr(0, line.find_last_not_of(L'\r') + 1));
  }
  ASSERT_FALSE(lines.empty());
  std::wsmatch header;
  ASSERT_TRUE(std::regex_match(lines[0], header,
                               std::wregex(L"--- launcher started: \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} "
                                           L"UTC, pid (\\d+), executable (.+), launcher \\d+\\.\\d+\\.\\d+")))
      << testing::PrintToString(lines[0]);
  EXPECT_EQ(std::stoul(header[1].str()), process.id());
  EXPECT_EQ(header[2].str(), app.app.exe());
  int notSet = 0;
  for (const std::wstring& line : lines) {
    EXPECT_NE(line, L"exit code 7") << "an argument forged a line";
    EXPECT_EQ(line.find(L"(unset)"), std::wstring::npos) << testing::PrintToString(line);
    if (line.starts_with(L"settings not set: ")) ++notSet;
  }
  ExpectLines(log, {L"command line: " + testsupport::Quoted(app.app.exe()) + L" \"one\\nexit code 7\"",
                    L"\"JRE Path\" jre is taken from the executable's folder: " + app.app.path(L"jre") + L"\r\n",
                    L"setting [Java Runtime Environment] Minimum Verison is not one the launcher reads; the nearest is "
                    L"\"Minimum Version\"",
                    L"User VM options file " + app.app.path(L"AppData\\app.vmoptions") + L": off",
                    L"settings not set: [Application] ", L"exit code 0"});
  EXPECT_GE(notSet, 1);
  EXPECT_LE(notSet, 4) << "one line for each stage that reads settings at most\n" << log;
}

// How often each line of a log occurs, each counted `times`.
std::map<std::wstring, int> LineCounts(const std::wstring& log, int times = 1) {
  std::map<std::wstring, int> counts;
  std::wistringstream lines(log);
  for (std::wstring line; std::getline(lines, line);) {
    if (!line.starts_with(L"--- launcher started: ")) counts[line] += times;  // its time and pid differ
  }
  return counts;
}

TEST(LaunchDiagnosticsLog, LaunchesAtOnceWriteEveryLineWhole) {
  testsupport::DoubleApp app;
  app.Write(testsupport::Settings{});
  const std::wstring soloLog = app.app.path(L"solo.log"), sharedLog = app.app.path(L"shared.log");
  auto solo = app.Run(L"", {{L"VORN_LAUNCHER_LOG", soloLog}});
  ASSERT_TRUE(solo.result.finished);
  ASSERT_EQ(solo.result.exitCode, 0u) << app.RecordText();

  constexpr int kLaunches = 30;
  std::vector<testsupport::Process> launches;
  for (int i = 0; i < kLaunches; ++i) {
    testsupport::RunOptions options = app.Options({{L"VORN_LAUNCHER_LOG", sharedLog}});
    options.environment[L"VORN_DOUBLE_RECORD"] = app.app.path(L"record-" + std::to_wstring(i) + L".txt");
    launches.push_back(testsupport::Process::Start(app.app.exe(), testsupport::Quoted(app.app.exe()), options));
    ASSERT_TRUE(launches.back().started());
  }
  for (auto& launch : launches) {
    ASSERT_TRUE(launch.Wait(120000)) << "a launch did not end";
    EXPECT_EQ(launch.ExitCode(), 0u);
  }
  // Every launch tells the solo run's story: the same lines, none torn,
  // mixed or lost.
  const auto expected = LineCounts(testsupport::ReadTextFile(soloLog), kLaunches);
  const auto seen = LineCounts(testsupport::ReadTextFile(sharedLog));
  for (const auto& [line, count] : seen) {
    auto it = expected.find(line);
    EXPECT_EQ(count, it == expected.end() ? 0 : it->second) << testing::PrintToString(line);
  }
  for (const auto& [line, count] : expected) {
    EXPECT_TRUE(seen.count(line) != 0) << "lost: " << testing::PrintToString(line);
  }
}

}  // namespace
