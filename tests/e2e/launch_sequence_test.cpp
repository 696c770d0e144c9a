// The launch from the process entry through the settings stage, run on copies
// of the real launcher.exe.
#include <gtest/gtest.h>

#include "tests/support/launcher_app.h"

namespace {

using testsupport::AppFolder;
using testsupport::Encoding;

constexpr DWORD kFailed = 0xFFFFFFFF;

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

TEST(LaunchSequence, MainClassGetsPastTheSettingsStageInEitherFileEncoding) {
  for (Encoding encoding : {Encoding::Utf16Bom, Encoding::Ansi}) {
    AppFolder app(L"My App.exe");
    app.WriteIni(L"[Java Runtime Environment]\r\nMain Class=com.example.Main\r\n", encoding);
    auto run = app.Run(L"-x \"two words\"");
    ASSERT_TRUE(run.result.finished);
    // No runtime exists here: the launch fails safely later on, without the
    // settings message.
    EXPECT_EQ(run.result.exitCode, kFailed);
    EXPECT_TRUE(run.boxes.empty()) << "unexpected box: " << (run.boxes.empty() ? "" : "shown");
  }
}

TEST(LaunchSequence, MainClassFromThePlusSectionAlone) {
  AppFolder app;
  app.WriteIni(L"[Java Runtime Environment+]\r\nMain Class=com.example.Main\r\n");
  auto run = app.Run();
  EXPECT_EQ(run.result.exitCode, kFailed);
  EXPECT_TRUE(run.boxes.empty());
}

TEST(LaunchSequence, ExitCodeIsTheFullMinusOneWhenInitialisationFails) {
  AppFolder app;
  app.WriteIni(L"[Application]\r\nCmd=-a\r\n");
  auto run = app.RunCommandLine(L"app.exe \"unclosed quote");
  EXPECT_EQ(run.result.exitCode, kFailed) << "the caller must see 0xFFFFFFFF, not a truncated code";
  EXPECT_EQ(run.boxes.size(), 1u);
}

}  // namespace
