// Values at and beyond the system's limits, end to end: class paths and
// options of any length reach the virtual machine whole; what the system
// cannot hold (a Path, a file path) is refused with a box, never cut; a
// runtime that reports success without a VM is a failed creation.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/exit_codes.h"
#include "tests/support/double_app.h"
#include "tests/support/launcher_app.h"
#include "tests/support/test_files.h"

namespace {

using testsupport::DoubleApp;
using testsupport::LauncherRun;
using testsupport::Settings;

std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

std::vector<std::string> Entries(const std::string& classPath) {
  std::vector<std::string> entries;
  size_t start = 0;
  for (size_t semi; (semi = classPath.find(';', start)) != std::string::npos; start = semi + 1) {
    entries.push_back(classPath.substr(start, semi - start));
  }
  if (start < classPath.size()) entries.push_back(classPath.substr(start));
  return entries;
}

TEST(VmLaunchLongValues, ThreeHundredFiftyJarsAndLongOptionsReachTheVmWhole) {
  DoubleApp app;
  const std::wstring lib = L"Example Corporation\\Example Product 2024\\lib\\";
  std::set<std::string> expected;
  for (int i = 0; i < 350; ++i) {
    const std::wstring jar = lib + L"example-product-module-" + std::to_wstring(1000 + i) + L".jar";
    testsupport::WriteBinaryFile(app.app.path(jar), {});
    expected.insert(Narrow(app.app.path(jar)));
  }
  const std::wstring longWord(40000, L'w');
  Settings s;
  s.classPath = lib + L"*";
  s.runtimeLines = L"Virtual Machine Parameters=-Dlong=" + longWord + L"%VORN_TEST_TAIL%\r\n";
  s.applicationLines = L"Cmd=" + longWord + L"%VORN_TEST_TAIL%\r\n";
  app.Write(s);
  testsupport::RunOptions runOptions = app.Options({{L"VORN_TEST_TAIL", L"-end"}});
  runOptions.stdoutFile = app.app.path(L"stdout.txt");  // main echoes the long argument
  LauncherRun run = app.app.Run(L"", runOptions);
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u);
  EXPECT_TRUE(run.boxes.empty());

  auto options = app.Options();
  ASSERT_EQ(options.size(), 6u) << "vfprintf, class path, -Dlong, sun.java.command, abort, exit";
  const std::string prefix = "-Djava.class.path=";
  ASSERT_EQ(options[1].rfind(prefix, 0), 0u);
  const std::vector<std::string> entries = Entries(options[1].substr(prefix.size()));
  EXPECT_EQ(entries.size(), 350u) << "every jar, and no \".\" or \"..\" of the folder";
  EXPECT_EQ(std::set<std::string>(entries.begin(), entries.end()), expected);
  EXPECT_GT(options[1].size(), 32766u) << "the case is meant to pass the old 32,766 limit";
  EXPECT_EQ(options[2], "-Dlong=" + Narrow(longWord) + "-end");
  EXPECT_EQ(app.MainArguments(), std::vector<std::wstring>{longWord + L"-end"});
}

TEST(VmLaunchLongValues, OneMebibyteClassPathReachesTheVmWhole) {
  DoubleApp app;
  std::wstring classPath;
  for (int i = 0; classPath.size() < 1048576; ++i) {
    classPath += L"C:\\libraries\\component-" + std::to_wstring(100000 + i) + L"-with-a-longer-name.jar;";
  }
  Settings s;
  s.classPath = classPath + L"C:\\%VORN_TEST_TAIL%";
  app.Write(s);
  LauncherRun run = app.Run(L"", {{L"VORN_TEST_TAIL", L"last.jar"}});
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u);
  auto options = app.Options();
  ASSERT_FALSE(options.empty()) << "the VM was not created";
  EXPECT_TRUE(options[1] == "-Djava.class.path=" + Narrow(classPath) + "C:\\last.jar")
      << "the class path option has " << options[1].size() << " bytes";
}

TEST(VmLaunchLongValues, PathKeepsTheRuntimeBinOrIsRefusedWhenTooLong) {
  std::wstring longSetting;
  while (longSetting.size() < 32000) longSetting += L"C:\\tools\\folder-" + std::to_wstring(longSetting.size()) + L";";
  const struct {
    std::wstring systemPath;
    std::optional<std::wstring> userPath;  // none: Path unset
    bool refused;
  } cases[] = {
      {L"C:\\tools", L"C:\\windows\\system32;C:\\windows", false},
      {L"C:\\tools", std::nullopt, false},
      {longSetting.substr(0, 32400), L"C:\\windows", false},
      {longSetting + longSetting.substr(0, 800), L"C:\\windows", true},
  };
  for (const auto& c : cases) {
    DoubleApp app;
    Settings s;
    s.runtimeLines = L"System Path=" + c.systemPath + L"\r\n";
    app.Write(s);
    LauncherRun run = app.Run(L"", {{L"Path", c.userPath}});
    ASSERT_TRUE(run.result.finished);
    std::wstring expected = c.systemPath + (c.systemPath.back() == L';' ? L"" : L";") +
                            (c.userPath ? *c.userPath + L";" : L"") + app.jre() + L"\\bin";
    SCOPED_TRACE(testing::Message() << "System Path of " << c.systemPath.size() << " characters, new Path of "
                                    << expected.size());
    if (c.refused) {
      EXPECT_EQ(run.result.exitCode, exitcode::kLaunchFailedCode);
      ASSERT_EQ(run.boxes.size(), 1u);
      EXPECT_EQ(run.boxes[0].StaticText(),
                L"The Path for the Java runtime would be " + std::to_wstring(expected.size()) +
                    L" characters long, more than the 32766 an environment variable can hold. Shorten \"System "
                    L"Path\" or the Path of the environment.\n");
      EXPECT_FALSE(app.Record().exists) << "no VM after a refused Path";
      continue;
    }
    EXPECT_EQ(run.result.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(app.Values("env Path="), std::vector<std::string>{Narrow(expected)});
  }
}

TEST(VmLaunchCreation, SuccessWithoutAVmIsAFailedCreation) {
  for (const wchar_t* gives : {L"vm", L"env", L"none"}) {
    DoubleApp app;
    testsupport::CopyFileTo(testsupport::BinFile(L"fixtures\\hollow\\jvm.dll"), app.jvmDll());
    app.Write(Settings{});
    LauncherRun run = app.Run(L"", {{L"VORN_HOLLOW_GIVES", gives}});
    ASSERT_TRUE(run.result.finished);
    EXPECT_EQ(run.result.exitCode, exitcode::kLaunchFailedCode) << "the runtime handed out " << Narrow(gives);
    ASSERT_EQ(run.boxes.size(), 1u) << Narrow(gives);
    EXPECT_EQ(run.boxes[0].StaticText(), L"JNI exception: failed to create the Java VM\nReason: unknown.\n");
  }
}

TEST(VmLaunchStreams, FilePathsBeyondTheSystemMaximumAreRefusedAtOnce) {
  for (const wchar_t* key : {L"Output File", L"Error File"}) {
    DoubleApp app;
    std::wstring deep = app.app.path(L"deep");
    for (int i = 0; i < 20000; ++i) deep += L"\\d";
    deep += L"\\out.txt";
    Settings s;
    s.applicationLines = std::wstring(key) + L"=" + deep + L"\r\n";
    app.Write(s);
    LauncherRun run = app.app.Run(L"", app.Options({}), 20000);
    ASSERT_TRUE(run.result.finished);
    EXPECT_EQ(run.result.exitCode, exitcode::kLaunchFailedCode);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].StaticText(), L"The \"" + std::wstring(key) + L"\" path is " +
                                             std::to_wstring(deep.size()) +
                                             L" characters long, more than the 32767 the system can use.\n");
    EXPECT_FALSE(testsupport::FileExists(app.app.path(L"deep"))) << "nothing is created for a path never usable";
    EXPECT_FALSE(app.Record().exists) << "no VM is created";
  }
}

}  // namespace
