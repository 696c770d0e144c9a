// The virtual machine stages end to end: copies of launcher.exe whose
// "JRE Path" names a runtime folder holding the test-double jvm.dll, which
// writes a record of what the launcher handed it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/exit_codes.h"
#include "tests/support/double_app.h"
#include "tests/support/double_record.h"
#include "tests/support/launcher_app.h"
#include "tests/support/process_runner.h"
#include "tests/support/test_files.h"

namespace {

using testsupport::AppFolder;
using testsupport::DoubleApp;
using testsupport::FromUtf8;
using testsupport::LauncherRun;
using testsupport::ReadBytes;
using testsupport::Settings;

std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

TEST(VmLaunchArguments, CommandLineAndCmdPiecesReachMainUnchanged) {
  DoubleApp app;
  Settings s;
  s.applicationLines = L"Cmd=first \"two words\" \"\" %VORN_TEST_CMD% \"%VORN_TEST_CMD%\"\r\n";
  app.Write(s);
  LauncherRun run = app.Run(L"\"\" \"Gr\u00fc\u00dfe \U0001D11E\" plain", {{L"VORN_TEST_CMD", L"x y"}});
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
  EXPECT_TRUE(run.boxes.empty());
  const std::vector<std::wstring> expected = {
      L"", L"Gr\u00fc\u00dfe \U0001D11E", L"plain", L"first", L"two words", L"x", L"y", L"x y"};
  EXPECT_EQ(app.MainArguments(), expected)
      << "command-line arguments first, then the non-empty pieces of the expanded Cmd\n"
      << app.RecordText();
  auto classes = app.Values("findclass ");
  EXPECT_NE(std::find(classes.begin(), classes.end(), "test/Echo"), classes.end()) << app.RecordText();
  EXPECT_EQ(app.Values("detach "), std::vector<std::string>{"main"}) << "the Java thread detaches after main";
  EXPECT_EQ(app.Values("destroy-done ").size(), 1u) << "the teardown destroys the VM\n" << app.RecordText();
  app.ExpectCleanJniUse();
}

TEST(VmLaunchExitCode, SystemExitCodeIsTheProcessExitCode) {
  const std::pair<std::wstring, DWORD> cases[] = {{L"", 42}, {L"300", 300}, {L"-7", 0xFFFFFFF9u}};
  for (const auto& [argument, code] : cases) {
    DoubleApp app;
    Settings s;
    s.mainClass = L"test.Exit";
    app.Write(s);
    LauncherRun run = app.Run(argument);
    ASSERT_TRUE(run.result.finished);
    EXPECT_EQ(run.result.exitCode, code) << "System.exit(" << Narrow(argument) << ")\n" << app.RecordText();
    EXPECT_TRUE(run.boxes.empty());
  }
}

TEST(VmLaunchMainClass, MissingClassShowsBoxAndEndsWithMinusOne) {
  DoubleApp app;
  Settings s;
  s.mainClass = L"com.example.Missing";
  app.Write(s);
  LauncherRun run = app.Run();
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, exitcode::kLaunchFailedCode);
  ASSERT_EQ(run.boxes.size(), 1u) << app.RecordText();
  EXPECT_EQ(run.boxes[0].StaticText(), L"Could not find the main class com/example/Missing.\n");
  auto classes = app.Values("findclass ");
  EXPECT_NE(std::find(classes.begin(), classes.end(), "com/example/Missing"), classes.end())
      << "dots reach FindClass as slashes\n"
      << app.RecordText();
  EXPECT_EQ(app.Values("describe ").size(), 1u) << "the exception is described first\n" << app.RecordText();
  EXPECT_EQ(app.Values("destroy-done ").size(), 1u) << "the teardown must not hang\n" << app.RecordText();
  app.ExpectCleanJniUse();
}

TEST(VmLaunchMainClass, ClassWithoutMainShowsNoBox) {
  DoubleApp app;
  Settings s;
  s.mainClass = L"test.NoMain";
  app.Write(s);
  LauncherRun run = app.Run();
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, exitcode::kLaunchFailedCode);
  EXPECT_TRUE(run.boxes.empty()) << "a class without main shows no box";
  auto described = app.Values("describe ");
  ASSERT_EQ(described.size(), 1u) << app.RecordText();
  EXPECT_NE(described[0].find("NoSuchMethodError"), std::string::npos) << described[0];
  app.ExpectCleanJniUse();
}

TEST(VmLaunchCreation, FailureShowsFormat203WithTheReason) {
  const std::pair<int, std::wstring> cases[] = {
      {-1, L"unknown"},
      {-2, L"thread detached from VM"},
      {-3, L"JNI version error"},
      {-4, L"not enough memory"},
      {-5, L"VM already created"},
      {-6, L"invalid arguments"},
      {-9, L""},
  };
  for (const auto& [code, reason] : cases) {
    DoubleApp app;
    Settings s;
    s.runtimeLines = L"Virtual Machine Parameters=-Dvorn.double.create=" + std::to_wstring(code) + L"\r\n";
    app.Write(s);
    LauncherRun run = app.Run();
    ASSERT_TRUE(run.result.finished);
    EXPECT_EQ(run.result.exitCode, exitcode::kLaunchFailedCode) << "result " << code;
    ASSERT_EQ(run.boxes.size(), 1u) << "result " << code << "\n" << app.RecordText();
    EXPECT_EQ(run.boxes[0].StaticText(), L"JNI exception: failed to create the Java VM\nReason: " + reason + L".\n")
        << "result " << code;
    EXPECT_TRUE(app.Values("destroy").empty()) << "no VM to destroy after a failed creation";
  }
}

TEST(VmLaunchCreation, FailureBoxAddsTheVmsOwnWordsAfterABlankLine) {
  DoubleApp app;
  Settings s;
  s.runtimeLines = L"Virtual Machine Parameters=-Dvorn.double.create=-1\r\n";
  app.Write(s);
  const std::wstring log = app.app.path(L"diagnostics.log");
  // Printed in the ANSI code page (1252), as a VM on Windows prints.
  auto run = app.Run(L"", {{L"VORN_DOUBLE_VM_SAYS", L"  Error: caf\u00e9 heap  "}, {L"VORN_LAUNCHER_LOG", log}});
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, exitcode::kLaunchFailedCode);
  EXPECT_EQ(run.BoxTexts(), std::vector<std::wstring>{L"JNI exception: failed to create the Java VM\nReason: "
                                                      L"unknown.\n\nError: caf\u00e9 heap"});
  EXPECT_NE(testsupport::ReadBytes(log).find("VM output: Error: caf\xC3\xA9 heap"), std::string::npos)
      << testsupport::ReadBytes(log);
}

TEST(VmLaunchCreation, AnAbortingVmHasItsWordsShownBeforeTheEnd) {
  DoubleApp app;
  Settings s;
  s.runtimeLines = L"Virtual Machine Parameters=-Dvorn.double.abort\r\n";
  app.Write(s);
  auto run = app.Run(L"", {{L"VORN_DOUBLE_VM_SAYS", L"Error occurred during initialization of boot layer"}});
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 1u) << "the VM ends the process itself" << app.RecordText();
  EXPECT_EQ(run.BoxTexts(), std::vector<std::wstring>{L"The Java VM ended the application.\n\n"
                                                      L"Error occurred during initialization of boot layer"});
}

// HotSpot says why it cannot start on its standard output: through the hook,
// or for a module it cannot find through Java's own System.out. A windowed
// program started from Explorer has no standard handles: the box is the only
// place the reason can reach the user.
TEST(VmLaunchCreation, AVmThatCannotStartNamesTheReasonInTheBox) {
  const struct {
    const wchar_t* lines;
    bool noStandardHandles;
    std::wstring reason;
  } cases[] = {
      {L"Virtual Machine Parameters=-Xms64m -Xmx32m\r\n", true,
       L"Error occurred during initialization of VM\nInitial heap size set to a larger value than the maximum heap size"},
      {L"Virtual Machine Parameters=-XX:+UseSerialGC -XX:+UseG1GC\r\n", false,
       L"Error occurred during initialization of VM\nMultiple garbage collectors selected"},
      {L"Main Module=vorn.nosuch\r\n", true,
       L"Error occurred during initialization of boot layer\r\njava.lang.module.FindException: Module vorn.nosuch not found"},
  };
  for (const auto& c : cases) {
    DoubleApp app;
    Settings s;
    s.runtimeLines = c.lines;
    app.Write(s);
    testsupport::RunOptions options = app.Options({});
    options.noStandardHandles = c.noStandardHandles;
    auto run = app.app.Run(L"", options);
    ASSERT_TRUE(run.result.finished);
    EXPECT_EQ(run.result.exitCode, 1u) << "the VM ends the process itself" << app.RecordText();
    EXPECT_EQ(run.BoxTexts(), std::vector<std::wstring>{L"The Java VM ended the application.\n\n" + c.reason})
        << c.lines;
  }
}

// The double logs through the hook with its own C runtime's FILEs, as HotSpot does.
TEST(VmLaunchOutput, TheVmsWordsReachTheStreamTheyAreMeantFor) {
  DoubleApp app;
  const std::wstring gcLog = app.app.path(L"gc.log");
  Settings s;
  s.runtimeLines = L"Virtual Machine Parameters=-verbose:gc \"-Xlog:gc*:file=" + gcLog + L"\"\r\n";
  app.Write(s);
  testsupport::RunOptions options = app.Options({{L"VORN_DOUBLE_VM_SAYS", L"said on standard error"}});
  options.stdoutFile = app.app.path(L"out.txt");
  options.stderrFile = app.app.path(L"err.txt");
  LauncherRun run = app.app.Run(L"", options);
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
  const std::string out = ReadBytes(options.stdoutFile), err = ReadBytes(options.stderrFile);
  EXPECT_NE(ReadBytes(gcLog).find("collector (file)"), std::string::npos) << "the -Xlog file stayed empty";
  EXPECT_NE(out.find("collector (stdout)"), std::string::npos) << "standard output: " << out;
  EXPECT_NE(err.find("said on standard error"), std::string::npos) << "standard error: " << err;
  EXPECT_EQ(err.find("collector"), std::string::npos) << "logging moved to standard error: " << err;
}

// The VM takes its options in the ANSI code page: what it cannot carry arrives
// as "?", and the log says which option lost what.
TEST(VmLaunchOptions, AnOptionTheAnsiCodePageCannotCarryIsLogged) {
  DoubleApp app;
  Settings s;
  s.runtimeLines = L"Virtual Machine Parameters=-Dj=\u65E5\u672C -Dplain=1\r\n";
  app.Write(s);
  const std::wstring log = app.app.path(L"run.log");
  LauncherRun run = app.Run(L"", {{L"VORN_LAUNCHER_LOG", log}});
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
  const std::string story = ReadBytes(log);  // UTF-8
  EXPECT_NE(story.find("VM option not handed over as written (outside the ANSI code page): -Dj=\xE6\x97\xA5\xE6\x9C\xAC"),
            std::string::npos) << story;
  EXPECT_EQ(story.find("as written (outside the ANSI code page): -Dplain"), std::string::npos) << story;
}

TEST(VmLaunchLibrary, LibrariesThatCannotServeShowTheirMessage) {
  struct Case {
    const wchar_t* fixture;  // copied over jvm.dll; none: a text file instead
    std::wstring expected;   // "%s" stands for the library's path
  } cases[] = {
      {nullptr, L"Failed to load Java VM library: %s (errno = 193).\n"},
      {L"fixtures\\missing-dependency\\jvm.dll", L"Failed to load Java VM library: %s (errno = 126).\n"},
      {L"fixtures\\x64\\jvm.dll", L"Windows exception: cannot find CreateJavaVM JNI (errno = 127).\n"},  // exports neither
      // Without a "Pair Product" a 32-bit runtime is named as one, not by its error code 193.
      {L"fixtures\\x86\\jvm.dll", L"The Java runtime %s is built for x86 (32-bit): this launcher cannot load it. Set "
                                  L"\"JRE Path\" to a 64-bit runtime for this processor, or give the application a "
                                  L"\"Pair Product\" that runs a 32-bit one.\n"},
  };
  for (const auto& c : cases) {
    DoubleApp app;
    if (c.fixture == nullptr) {
      testsupport::WriteTextFile(app.jvmDll(), L"not a library", testsupport::Encoding::Ansi);
    } else {
      testsupport::CopyFileTo(testsupport::BinFile(c.fixture), app.jvmDll());
    }
    app.Write(Settings{});
    LauncherRun run = app.Run();
    std::wstring expected = c.expected;
    if (size_t at = expected.find(L"%s"); at != std::wstring::npos) expected.replace(at, 2, app.jvmDll());
    ASSERT_TRUE(run.result.finished);
    EXPECT_EQ(run.result.exitCode, exitcode::kLaunchFailedCode) << testing::PrintToString(expected);
    ASSERT_EQ(run.boxes.size(), 1u) << testing::PrintToString(expected);
    EXPECT_EQ(run.boxes[0].StaticText(), expected);
  }
}

TEST(VmLaunchOptions, OptionListOrderAndComposition) {
  DoubleApp app;
  testsupport::WriteTextFile(app.app.path(L"lib\\one.jar"), L"x", testsupport::Encoding::Ansi);
  testsupport::WriteTextFile(app.app.path(L"lib\\two.jar"), L"x", testsupport::Encoding::Ansi);
  testsupport::WriteTextFile(app.app.path(L"lib\\skip.txt"), L"x", testsupport::Encoding::Ansi);
  Settings s;
  s.classPath = L"lib\\*.jar;missing.jar;C:\\abs\\nothere.jar";
  s.runtimeLines =
      L"Library Path=C:\\native;plugins\r\nSystem Path=C:\\tools\r\n"
      L"Virtual Machine Parameters=-Xmx50:16:100000P \"-Dq=a b\" -Dm=-xmx50P -Dhome=%VORN_TEST_HOME%\\X "
      L"-Dp=\"x\"\"y\" -Xss3m\r\n";
  s.applicationLines = L"Embedded Jar=yes\r\n";
  app.Write(s);
  LauncherRun run = app.Run(L"", {{L"VORN_TEST_HOME", L"C:\\has space"}});
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();

  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  std::uint64_t size = static_cast<std::uint64_t>(static_cast<double>(status.dwTotalPhys >> 10) * 0.5);
  size = std::min<std::uint64_t>(size, 100000ull * 1024);
  size = std::max<std::uint64_t>(size, 16ull * 1024);

  const std::string folder = Narrow(app.app.folder().path()) + "\\";
  const std::string jre = Narrow(app.jre());
  auto options = app.Options();
  ASSERT_EQ(options.size(), 12u) << app.RecordText();
  // The library path: setting, executable folder, the old Path, the runtime's lib; never the current folder.
  EXPECT_EQ(options[1].rfind("-Djava.library.path=C:\\native;" + folder + "plugins;" + folder + ";", 0), 0u)
      << options[1];
  EXPECT_EQ(options[1].find(";.;"), std::string::npos) << options[1];
  EXPECT_EQ(options[1].find(";;"), std::string::npos) << options[1];
  EXPECT_EQ(options[1].substr(options[1].size() - jre.size() - 5), ";" + jre + "\\lib") << options[1];
  // Both jars of lib (in the file system's order), the absolute entry kept, the executable last.
  const std::string a = folder + "lib\\one.jar;", b = folder + "lib\\two.jar;";
  const std::string tail = "C:\\abs\\nothere.jar;" + Narrow(app.app.exe());
  EXPECT_TRUE(options[2] == "-Djava.class.path=" + a + b + tail || options[2] == "-Djava.class.path=" + b + a + tail)
      << options[2];
  EXPECT_EQ(options[3], "-Xmx" + std::to_string(size) + "K");
  EXPECT_EQ(options[4], "-Dq=a b");
  EXPECT_EQ(options[5], "-Dm=-xmx50P");
  EXPECT_EQ(options[6], "-Dhome=C:\\has space\\X") << "split before expansion: one option";
  EXPECT_EQ(options[7], "-Dp=x\"y\"") << "a doubled quote keeps one, an unpaired one stays";
  EXPECT_EQ(options[8], "-Xss3m");
  EXPECT_EQ(options[0], "vfprintf") << "first, so that it hears what the VM says of every option";
  EXPECT_EQ(options[9], "-Dsun.java.command=test.Echo") << "what tools show for the process";
  EXPECT_EQ(options[10], "abort");
  EXPECT_EQ(options[11], "exit");
  EXPECT_EQ(app.Values("optionextra["), (std::vector<std::string>{"0]", "10]", "11]"}))
      << "only the hooks carry extra info";
  EXPECT_EQ(app.Values("hook "), std::vector<std::string>{"exit=1 abort=1 vfprintf=1"});

  EXPECT_EQ(app.Values("env VORN_JVM_PATH="), std::vector<std::string>{Narrow(app.jvmDll())});
  EXPECT_EQ(app.Values("env VORN_JVM_HOME="), std::vector<std::string>{jre});
  auto path = app.Values("env Path=");
  ASSERT_EQ(path.size(), 1u);
  EXPECT_EQ(path[0].rfind("C:\\tools;", 0), 0u) << path[0];
  EXPECT_EQ(path[0].substr(path[0].size() - jre.size() - 5), ";" + jre + "\\bin") << path[0];

  // -Xss3m: the Java thread was created with 3 MB of stack.
  auto stack = app.Values("threadstack ");
  ASSERT_EQ(stack.size(), 1u);
  EXPECT_GE(std::stoull(stack[0]), 3ull * 1048576) << "the Java thread's stack follows -Xss";
  EXPECT_LT(std::stoull(stack[0]), 4ull * 1048576) << "the Java thread's stack follows -Xss";
}

TEST(VmLaunchOptions, NoLibraryPathSettingGivesNoLibraryPathOption) {
  DoubleApp app;
  app.Write(Settings{});
  LauncherRun run = app.Run();
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
  auto options = app.Options();
  ASSERT_EQ(options.size(), 5u) << app.RecordText();
  EXPECT_EQ(options[1], "-Djava.class.path=C:\\app\\classes.jar");
  auto path = app.Values("env Path=");
  ASSERT_EQ(path.size(), 1u);
  EXPECT_EQ(path[0].substr(path[0].size() - Narrow(app.jre()).size() - 5), ";" + Narrow(app.jre()) + "\\bin");
  EXPECT_EQ(app.Values("env VORN_JVM_HOME="), std::vector<std::string>{Narrow(app.jre())});
}

TEST(VmLaunchStack, UngrantableStackRunsJavaOnTheMainThread) {
  DoubleApp app;
  Settings s;
  // 10^15 bytes: more than a 64-bit process's whole address space.
  s.runtimeLines = L"Virtual Machine Parameters=-Xss1000000g -Xms25:0:512T\r\n";
  app.Write(s);
  LauncherRun run = app.Run(L"still-runs");
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
  EXPECT_EQ(app.MainArguments(), std::vector<std::wstring>{L"still-runs"}) << app.RecordText();
  auto options = app.Options();
  ASSERT_GE(options.size(), 4u);
  EXPECT_EQ(options[3], "-Xms524288K") << "a quarter of the virtual space, capped at 512 MB";
  auto stack = app.Values("threadstack ");
  ASSERT_EQ(stack.size(), 1u);
  EXPECT_LT(std::stoull(stack[0]), 1000000ull * 1073741824) << "the VM was created on the main thread";
}

TEST(VmLaunchStack, XssSizeIsTheReservationEvenBelowTheDefault) {
  DoubleApp app;
  Settings s;
  s.runtimeLines = L"Virtual Machine Parameters=-Xss512k\r\n";
  app.Write(s);
  LauncherRun run = app.Run();
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
  auto stack = app.Values("threadstack ");
  ASSERT_EQ(stack.size(), 1u) << app.RecordText();
  // Wine reserves at least 1 MB for any thread; the executable's default is 2 MB.
  EXPECT_LE(std::stoull(stack[0]), 1048576ull) << "-Xss512k must reserve the stack, not commit part of the default";
}

TEST(VmLaunchIbm, JavaThreadStaysAfterMainUntilTheApplicationExits) {
  DoubleApp app;
  Settings s;
  s.runtimeLines = L"VM Provider=ibm\r\n";
  app.Write(s);
  testsupport::Process process = app.Start(L"x");
  ASSERT_TRUE(process.started());
  // Main has run once the double recorded its call; however slow the start.
  for (ULONGLONG end = GetTickCount64() + 60000; app.Record().Main() == nullptr && GetTickCount64() < end;) {
    if (process.Wait(50)) break;
  }
  EXPECT_EQ(app.MainArguments(), std::vector<std::wstring>{L"x"}) << app.RecordText();
  // Without the IBM rule the process ends within milliseconds of main.
  EXPECT_FALSE(process.Wait(1500)) << "with an IBM runtime the launcher must not end by itself after main\n"
                                   << app.RecordText();
  EXPECT_TRUE(app.Values("detach ").empty()) << "the Java thread never detaches";
  process.Kill();

  s.mainClass = L"test.Exit";
  app.Write(s);
  LauncherRun run = app.Run(L"9");
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 9u) << "System.exit still ends the process";
}

TEST(VmLaunchOptions, EmptyClassPathShowsBoxUnlessEmbeddedJar) {
  DoubleApp app;
  Settings s;
  s.classPath = L"nothing-here\\*.jar";
  app.Write(s);
  LauncherRun run = app.Run();
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, exitcode::kLaunchFailedCode);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].StaticText(), L"Java Class Path was not specified in INI file.");
  EXPECT_FALSE(app.Record().exists) << "no VM is created without a class path";

  s.classPath = L"";
  s.applicationLines = L"Embedded Jar=YES\r\n";
  app.Write(s);
  run = app.Run();
  EXPECT_EQ(run.result.exitCode, 0u);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(app.Values("classpath="), std::vector<std::string>{Narrow(app.app.exe())});
}

TEST(VmLaunchStreams, OutputAndErrorFilesReceiveTheOutputInNewFolders) {
  DoubleApp app;
  Settings s;
  s.mainClass = L"test.ErrWriter";
  s.applicationLines =
      L"Output File=%VORN_TEST_LOGS%\\out\\deep\\o.txt\r\nError File=" + app.app.path(L"logs\\err\\e.txt") + L"\r\n";
  app.Write(s);
  LauncherRun run = app.Run(L"", {{L"VORN_TEST_LOGS", app.app.path(L"logs")}});
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
  EXPECT_EQ(ReadBytes(app.app.path(L"logs\\out\\deep\\o.txt")), "line to System.out\r\n") << app.RecordText();
  EXPECT_EQ(ReadBytes(app.app.path(L"logs\\err\\e.txt")), "line to System.err\r\n") << app.RecordText();
  app.ExpectCleanJniUse();
}

TEST(VmLaunchStreams, RelativeFilesGoIntoNewFoldersUnderTheCurrentDirectory) {
  DoubleApp app;
  testsupport::TempFolder current;
  Settings s;
  s.mainClass = L"test.ErrWriter";
  s.applicationLines = L"Output File=logs\\out\\o.txt\r\nError File=logs\\err\\e.txt\r\n";
  app.Write(s);
  auto options = app.Options({});
  options.workingDirectory = current.path();
  LauncherRun run = app.app.Run(L"", options);
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
  EXPECT_EQ(ReadBytes(current / L"logs\\out\\o.txt"), "line to System.out\r\n") << app.RecordText();
  EXPECT_EQ(ReadBytes(current / L"logs\\err\\e.txt"), "line to System.err\r\n") << app.RecordText();
}

TEST(VmLaunchStreams, OneFileForBothStreamsKeepsBothLines) {
  DoubleApp app;
  Settings s;
  s.mainClass = L"test.ErrWriter";
  s.applicationLines = L"Output File=" + app.app.path(L"logs\\all.txt") + L"\r\nError File=" +
                       app.app.path(L"LOGS\\.\\All.txt") + L"\r\n";
  app.Write(s);
  LauncherRun run = app.Run();
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
  EXPECT_EQ(ReadBytes(app.app.path(L"logs\\all.txt")), "line to System.out\r\nline to System.err\r\n")
      << "two streams over one file would overwrite each other\n"
      << app.RecordText();
}

TEST(VmLaunchStreams, UncaughtExceptionGoesToTheErrorFile) {
  DoubleApp app;
  Settings s;
  s.mainClass = L"test.Throws";
  s.applicationLines = L"Error File=" + app.app.path(L"err.txt") + L"\r\n";
  app.Write(s);
  LauncherRun run = app.Run();
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 1u) << "an exception of main ends the run with 1, as with java";
  std::wstring err = FromUtf8(ReadBytes(app.app.path(L"err.txt")));
  EXPECT_NE(err.find(L"IllegalStateException: bad state: Gr\u00fc\u00dfe \u2713 \U0001D11E"), std::wstring::npos)
      << app.RecordText();

  app.ExpectCleanJniUse();
}

}  // namespace
