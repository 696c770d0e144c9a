// Settings embedded in the executable by the embed-settings tool, read
// beneath the .ini beside it.
#include <gtest/gtest.h>

#include "common/exit_codes.h"
#include "tests/support/double_app.h"
#include "tests/support/launcher_app.h"

namespace {

using testsupport::AppFolder;
using testsupport::BinFile;
using testsupport::EmbedSettings;
using testsupport::Quoted;
using testsupport::RunProcess;

constexpr DWORD kFailed = exitcode::kLaunchFailedCode;
const std::wstring kNoMainClass = L"Main class was not specified in INI file.";

// The runtime line and class path every run here needs, for an app whose
// runtime is the double.
std::wstring RuntimeLines(const testsupport::DoubleApp& app, const std::wstring& moreRuntimeLines = L"") {
  return L"[Java Runtime Environment]\r\nJRE Path=" + app.jre() + L"\r\n" + moreRuntimeLines +
         L"[Class Path]\r\nClass Path=C:\\x.jar\r\n";
}

TEST(EmbeddedSettings, MainClassFromTheEmbeddedLayerWithTheRightUpgradeCode) {
  testsupport::DoubleApp app;
  ASSERT_EQ(EmbedSettings(app.app, L"[Java Runtime Environment]\nMain Class = test.Echo\n", L"{UC-1}"), 0u);
  app.app.WriteIni(L"[Product Information]\r\nUpgrade Code={UC-1}\r\n" + RuntimeLines(app));
  auto run = app.Run(L"a");
  EXPECT_TRUE(run.boxes.empty()) << "the embedded Main Class was not read";
  EXPECT_EQ(run.result.exitCode, 0u);
  ASSERT_NE(app.Record().Main(), nullptr) << app.RecordText();
  EXPECT_EQ(app.Record().Main()->className, "test/Echo");
}

TEST(EmbeddedSettings, WrongOrMissingUpgradeCodeGivesAnEmptyLayer) {
  AppFolder app;
  ASSERT_EQ(EmbedSettings(app, L"[Java Runtime Environment]\r\nMain Class=com.example.Main\r\n", L"{UC-1}"), 0u);
  for (const wchar_t* ini : {L"[Product Information]\r\nUpgrade Code={UC-2}\r\n", L"[Application]\r\nCmd=x\r\n"}) {
    app.WriteIni(ini);
    auto run = app.Run();
    EXPECT_EQ(run.result.exitCode, kFailed);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].StaticText(), kNoMainClass);
  }
}

TEST(EmbeddedSettings, CorruptedResourceGivesAnEmptyLayerNotACrash) {
  AppFolder app;
  HANDLE update = BeginUpdateResourceW(app.exe().c_str(), FALSE);
  ASSERT_NE(update, nullptr);
  char garbage[] = "VSET\x01\0\0\0\xff\xff\xff\x7fgarbage that is far too short";
  ASSERT_TRUE(UpdateResourceW(update, MAKEINTRESOURCEW(10), MAKEINTRESOURCEW(1), 0, garbage, sizeof garbage));
  ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
  app.WriteIni(L"[Product Information]\r\nUpgrade Code=\r\n");
  auto run = app.Run();
  EXPECT_EQ(run.result.exitCode, kFailed) << "the launcher must fail cleanly, not crash";
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].StaticText(), kNoMainClass);
}

TEST(EmbeddedSettings, FileValuesOverrideAndPlusSectionsExtendTheEmbeddedOnes) {
  testsupport::DoubleApp app;
  ASSERT_EQ(EmbedSettings(app.app, L"[Java Runtime Environment]\r\nMain Class=test.Throws\r\n[Application]\r\nCmd=-a\r\n",
                          L"U"),
            0u);
  // A non-empty file value overrides the embedded one; a "+" section extends it.
  app.app.WriteIni(L"[Product Information]\r\nUpgrade Code=U\r\n" + RuntimeLines(app, L"Main Class=test.Echo\r\n") +
                   L"[Application+]\r\nCmd=-b\r\n");
  auto run = app.Run(L"x");
  EXPECT_EQ(run.result.exitCode, 0u) << app.RecordText();
  ASSERT_NE(app.Record().Main(), nullptr) << app.RecordText();
  EXPECT_EQ(app.Record().Main()->className, "test/Echo");
  EXPECT_EQ(app.Record().Main()->args, (std::vector<std::wstring>{L"x", L"-a", L"-b"}));

  // An empty file value counts as missing: the embedded value stays.
  app.app.WriteIni(L"[Product Information]\r\nUpgrade Code=U\r\n" + RuntimeLines(app, L"Main Class=\r\n"));
  run = app.Run();
  ASSERT_NE(app.Record().Main(), nullptr) << app.RecordText();
  EXPECT_EQ(app.Record().Main()->className, "test/Throws");
}

TEST(EmbeddedSettings, ToolReportsUsageAndInputErrors) {
  AppFolder app;
  std::wstring tool = BinFile(L"embed-settings.exe");
  EXPECT_EQ(RunProcess(tool, Quoted(tool)).exitCode, 1u) << "usage error";
  // Text in an encoding the tool cannot read is refused, not embedded as garbage.
  std::vector<std::vector<unsigned char>> unreadable = {
      {'[', 0, 'S', 0, ']', 0},            // UTF-16 without a byte-order mark
      {0xFE, 0xFF, 0, '[', 0, 'S', 0, ']'},  // big-endian
      {'[', 'S', ']', 0xC3, 0x28},         // invalid UTF-8
  };
  for (const auto& bytes : unreadable) {
    testsupport::WriteBinaryFile(app.path(L"bad.txt"), bytes);
    EXPECT_EQ(RunProcess(tool, Quoted(tool) + L" " + Quoted(app.exe()) + L" " + Quoted(app.path(L"bad.txt")) + L" U")
                  .exitCode,
              2u);
  }
  EXPECT_EQ(RunProcess(tool, Quoted(tool) + L" " + Quoted(app.exe()) + L" " + Quoted(app.path(L"missing.txt")) +
                                 L" U")
                .exitCode,
            2u);
}

}  // namespace
