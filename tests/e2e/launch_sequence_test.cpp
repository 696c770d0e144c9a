// The launch from the process entry through the settings stage, run on copies
// of the real launcher.exe.
#include <gtest/gtest.h>

#include "common/exit_codes.h"
#include "tests/support/double_app.h"
#include "tests/support/launcher_app.h"

namespace {

using testsupport::AppFolder;
using testsupport::Encoding;

constexpr DWORD kFailed = exitcode::kLaunchFailedCode;

TEST(LaunchSequence, NoSettingsFileShowsTheMainClassMessageAndFails) {
  AppFolder app;
  auto run = app.Run();
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, kFailed);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].StaticText(), L"Main class was not specified in INI file.");
  EXPECT_EQ(run.boxes[0].owner, nullptr) << "no splash window exists yet, so the box has no owner";
  EXPECT_EQ(run.boxes[0].caption, L"Error") << "the system's default caption";
}

TEST(LaunchSequence, EmptyMainClassCountsAsMissing) {
  AppFolder app;
  app.WriteIni(L"[Java Runtime Environment]\r\nMain Class=\r\nJRE Path=C:\\nowhere\r\n");
  auto run = app.Run(L"a b");
  EXPECT_EQ(run.result.exitCode, kFailed);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].StaticText(), L"Main class was not specified in INI file.");
}

TEST(LaunchSequence, SettingsInEitherFileEncodingRunTheMainClassWithTheArguments) {
  for (Encoding encoding : {Encoding::Utf16Bom, Encoding::Ansi}) {
    testsupport::DoubleApp app;
    app.app.WriteIni(L"[Java Runtime Environment]\r\nMain Class=test.Echo\r\nJRE Path=" + app.jre() +
                         L"\r\n[Class Path]\r\nClass Path=C:\\app\\x.jar\r\n",
                     encoding);
    auto run = app.Run(L"-x \"two words\" \"\"");
    ASSERT_TRUE(run.result.finished);
    EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
    EXPECT_TRUE(run.boxes.empty());
    const auto record = app.Record();
    ASSERT_NE(record.Main(), nullptr) << app.RecordText();
    EXPECT_EQ(record.Main()->className, "test/Echo");
    EXPECT_EQ(record.Main()->args, (std::vector<std::wstring>{L"-x", L"two words", L""}));
  }
}

TEST(LaunchSequence, ExitCodeIsTheFullMinusOneWhenInitialisationFails) {
  AppFolder app;
  app.WriteIni(L"[Application]\r\nCmd=-a\r\n");
  auto run = app.RunCommandLine(L"app.exe \"unclosed quote");
  EXPECT_EQ(run.result.exitCode, kFailed) << "the caller must see 0xFFFFFFFF, not a truncated code";
  EXPECT_EQ(run.boxes.size(), 1u);
}

}  // namespace

namespace {

TEST(LaunchSequence, OverrideWorkingDirMovesToTheExecutablesFolder) {
  testsupport::TempFolder elsewhere;
  for (const wchar_t* flag : {L"YES", L"true"}) {
    testsupport::DoubleApp app;
    app.app.WriteIni(L"[Application]\r\nOverride WorkingDir=" + std::wstring(flag) +
                     L"\r\n[Java Runtime Environment]\r\nMain Class=test.Echo\r\nJRE Path=" + app.jre() +
                     L"\r\n[Class Path]\r\nClass Path=C:\\x.jar\r\n");
    auto options = app.Options({});
    options.workingDirectory = elsewhere.path();
    auto run = app.app.Run(L"", options);
    EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
    std::wstring expected = std::wstring(flag) == L"YES" ? app.app.folder().path() : elsewhere.path();
    EXPECT_EQ(_wcsicmp(app.Record().cwd.c_str(), expected.c_str()), 0)
        << "flag " << std::string(flag, flag + wcslen(flag)) << "\n" << app.RecordText();
  }
}

TEST(LaunchSequence, OverrideWorkingDirAtADrivesRootMovesToTheRoot) {
  // A copy in the root of drive C, under a name no other test uses.
  const std::wstring name = L"C:\\vorn-root-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                            std::to_wstring(GetTickCount64());
  struct Remove {
    std::wstring name;
    ~Remove() {
      DeleteFileW((name + L".exe").c_str());
      DeleteFileW((name + L".ini").c_str());
    }
  } remove{name};
  testsupport::DoubleApp app;
  testsupport::TempFolder elsewhere;
  testsupport::CopyFileTo(testsupport::BinFile(L"launcher.exe"), name + L".exe");
  testsupport::WriteTextFile(name + L".ini", L"[Application]\r\nOverride WorkingDir=Yes\r\n"
                                             L"[Java Runtime Environment]\r\nMain Class=test.Echo\r\nJRE Path=" +
                                                 app.jre() + L"\r\n[Class Path]\r\nClass Path=C:\\x.jar\r\n");
  auto options = app.Options({});
  options.workingDirectory = elsewhere.path();
  auto result = testsupport::RunProcess(name + L".exe", testsupport::Quoted(name + L".exe"), options);
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(result.exitCode, 0u) << app.RecordText();
  EXPECT_EQ(app.Record().cwd, L"C:\\") << "\"C:\" alone would leave the process where it was\n" << app.RecordText();
}

}  // namespace

namespace {

TEST(LaunchSequence, ExactCommandLineTextBecomesTheArguments) {
  testsupport::DoubleApp app;
  app.Write(testsupport::Settings{});
  struct Case {
    std::wstring tail;
    std::vector<std::wstring> expected;
  } cases[] = {
      {L"a\tb  \"x y\"   \"unclosed tail", {L"a\tb", L"x y", L"unclosed tail"}},
      {L"C:\\dir\\ \"\" -nosplash", {L"C:\\dir\\", L"", L"-nosplash"}},
      {L"", {}},
  };
  for (const auto& c : cases) {
    // The program name as a shell would write it, then the raw tail.
    std::wstring commandLine = L"  \"" + app.app.exe() + L"\"" + (c.tail.empty() ? L"" : L" " + c.tail) + L" \t";
    auto run = app.app.RunCommandLine(commandLine, app.Options({}));
    EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
    ASSERT_NE(app.Record().Main(), nullptr) << app.RecordText();
    EXPECT_EQ(app.Record().Main()->args, c.expected) << app.RecordText();
  }
}

}  // namespace

namespace {

TEST(LaunchSequence, GarbageSettingsFileIsAMissingMainClassNotACrash) {
  std::vector<unsigned char> garbage(70000);
  unsigned state = 12345;
  for (auto& b : garbage) {
    state = state * 1103515245u + 12345u;
    b = static_cast<unsigned char>(state >> 16);
  }
  for (bool withBom : {false, true}) {
    testsupport::AppFolder app;
    if (withBom) {
      garbage[0] = 0xFF;
      garbage[1] = 0xFE;
    }
    testsupport::WriteBinaryFile(app.ini(), garbage);
    auto run = app.Run();
    ASSERT_TRUE(run.result.finished);
    EXPECT_EQ(run.result.exitCode, kFailed) << "a crash would end with another code";
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].StaticText(), L"Main class was not specified in INI file.");
  }
}

}  // namespace
