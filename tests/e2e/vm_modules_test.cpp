// Modular and JavaFX applications end to end, with the test-double jvm.dll:
// the option strings the launcher hands over, and the JavaFX route.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/exit_codes.h"
#include "tests/support/double_app.h"
#include "tests/support/test_files.h"

namespace {

using testsupport::DoubleApp;
using testsupport::Settings;

std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

TEST(VmModules, ModularApplicationGetsOneStringModuleOptionsAndNeedsNoClassPath) {
  DoubleApp app;
  testsupport::WriteTextFile(app.app.path(L"mods\\app.core.jar"), L"x", testsupport::Encoding::Ansi);
  testsupport::WriteTextFile(app.app.path(L"ext\\extra.jar"), L"x", testsupport::Encoding::Ansi);
  const std::wstring ext = app.app.path(L"ext");
  Settings s;
  s.mainClass = L"";
  // No class path; the module path has a missing entry and one named by a variable.
  s.classPath = L"\r\nModule Path=mods\\app.core.jar;missing;%VORN_TEST_EXT%";
  s.runtimeLines =
      L"Main Module=app.core/test.Echo\r\n"
      L"Virtual Machine Parameters=-p \"%VORN_TEST_EXT%\" --add-opens java.base/java.lang=ALL-UNNAMED "
      L"--add-modules=extra\r\n";
  s.applicationLines = L"Cmd=last\r\n";
  app.Write(s);
  testsupport::LauncherRun run = app.Run(L"a \"b c\"", {{L"VORN_TEST_EXT", ext}});
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
  EXPECT_TRUE(run.boxes.empty());
  const std::vector<std::string> expected = {
      "vfprintf",
      "-Djdk.module.main=app.core",
      "--module-path=" + Narrow(app.app.path(L"mods\\app.core.jar")) + ";" + Narrow(ext),
      "--add-modules=app.core",
      "--module-path=" + Narrow(ext),
      "--add-opens=java.base/java.lang=ALL-UNNAMED",
      "--add-modules=extra",
      "-Dsun.java.command=app.core/test.Echo a b c last",
      "abort",
      "exit"};
  EXPECT_EQ(app.Options(), expected) << app.RecordText();
  EXPECT_EQ(app.MainArguments(), (std::vector<std::wstring>{L"a", L"b c", L"last"})) << app.RecordText();
  app.ExpectCleanJniUse();
}

// With no element left the VM would read its class path as the current
// folder: the executable's folder takes its place, and the log names what
// was dropped.
TEST(VmModules, AModulePathApplicationWithoutClassPathNeverGetsTheCurrentFolder) {
  DoubleApp app;
  testsupport::WriteTextFile(app.app.path(L"mods\\app.core.jar"), L"x", testsupport::Encoding::Ansi);
  Settings s;
  s.classPath = L"missing.jar\r\nModule Path=mods";
  app.Write(s);
  const std::wstring log = app.app.path(L"run.log");
  testsupport::LauncherRun run = app.Run(L"", {{L"VORN_LAUNCHER_LOG", log}});
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
  EXPECT_EQ(app.Values("classpath="), std::vector<std::string>{Narrow(app.app.folder().path())}) << app.RecordText();
  EXPECT_NE(testsupport::ReadTextFile(log).find(L"class path entry " + app.app.path(L"missing.jar") +
                                                L" dropped: nothing there"),
            std::wstring::npos)
      << testsupport::ReadTextFile(log);
}

TEST(VmModules, AWrongMainModuleIsSaidBeforeAnyVmIsMade) {
  // Names the ANSI code page cannot carry would reach the VM with "?" in them.
  for (const std::wstring value : {L"my mod", L"m\"x/app.Main", L"\u6A21\u5757", L"app\u202Emod", L"app\u200Bcore"}) {
    DoubleApp app;
    Settings s;
    s.runtimeLines = L"Main Module=" + value + L"\r\n";
    app.Write(s);
    testsupport::LauncherRun run = app.Run();
    ASSERT_TRUE(run.result.finished);
    EXPECT_EQ(run.result.exitCode, exitcode::kLaunchFailedCode);
    EXPECT_EQ(run.BoxTexts(), std::vector<std::wstring>{L"\"Main Module\" " + value +
                                                        L" is not a module name with an optional /class.\n"});
    EXPECT_FALSE(app.Record().exists) << app.RecordText();
  }
}

TEST(VmModules, SunJavaCommandOfTheSettingsIsNotDoubled) {
  DoubleApp app;
  Settings s;
  s.runtimeLines = L"Virtual Machine Parameters=-Dsun.java.command=MyApp -Dx=\"1 2\"\r\n";
  app.Write(s);
  testsupport::LauncherRun run = app.Run(L"x");
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
  EXPECT_EQ(app.Options(), (std::vector<std::string>{"vfprintf", "-Djava.class.path=C:\\app\\classes.jar",
                                                     "-Dsun.java.command=MyApp", "-Dx=1 2", "abort", "exit"}));
}

TEST(VmModules, JavaFxApplicationWithoutMainIsLaunchedByJavaFx) {
  DoubleApp app;
  Settings s;
  s.mainClass = L"test.FxApp";
  app.Write(s);
  testsupport::LauncherRun run = app.Run(L"one \"two words\"");
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
  EXPECT_TRUE(run.boxes.empty());
  const testsupport::DoubleRecord record = app.Record();
  ASSERT_EQ(record.calls.size(), 1u) << app.RecordText();
  EXPECT_EQ(record.calls[0].what, "launch");
  EXPECT_EQ(record.calls[0].className, "test/FxApp");
  EXPECT_EQ(record.calls[0].args, (std::vector<std::wstring>{L"one", L"two words"}));
  EXPECT_TRUE(record.described.empty()) << "the NoSuchMethodError of the missing main is not described\n"
                                        << app.RecordText();
  EXPECT_EQ(app.Values("detach "), std::vector<std::string>{"main"});
  app.ExpectCleanJniUse();
}

}  // namespace
