// Settings embedded in the executable by the embed-settings tool, read
// beneath the .ini beside it.
#include <gtest/gtest.h>

#include "tests/support/launcher_app.h"

namespace {

using testsupport::AppFolder;
using testsupport::BinFile;
using testsupport::Quoted;
using testsupport::RunProcess;

constexpr DWORD kFailed = 0xFFFFFFFF;
const std::wstring kNoMainClass = L"Main class was not specified in INI file.";

DWORD Embed(const AppFolder& app, const std::wstring& settings, const std::wstring& upgradeCode) {
  std::wstring textFile = app.path(L"embedded.txt");
  testsupport::WriteTextFile(textFile, settings);
  std::wstring tool = BinFile(L"embed-settings.exe");
  auto result = RunProcess(tool, Quoted(tool) + L" " + Quoted(app.exe()) + L" " + Quoted(textFile) + L" " +
                                     Quoted(upgradeCode));
  EXPECT_TRUE(result.finished);
  return result.exitCode;
}

TEST(EmbeddedSettings, MainClassFromTheEmbeddedLayerWithTheRightUpgradeCode) {
  AppFolder app;
  ASSERT_EQ(Embed(app, L"[Java Runtime Environment]\nMain Class = com.example.Main\n", L"{UC-1}"), 0u);
  app.WriteIni(L"[Product Information]\r\nUpgrade Code={UC-1}\r\n");
  auto run = app.Run();
  EXPECT_TRUE(run.boxes.empty()) << "the embedded Main Class was not read";
  EXPECT_EQ(run.result.exitCode, kFailed);  // no runtime here
}

TEST(EmbeddedSettings, WrongOrMissingUpgradeCodeGivesAnEmptyLayer) {
  AppFolder app;
  ASSERT_EQ(Embed(app, L"[Java Runtime Environment]\r\nMain Class=com.example.Main\r\n", L"{UC-1}"), 0u);
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
  AppFolder app;
  // The embedded Main Class is overridden by an empty-looking but non-empty
  // file value; the "+" section of the file can't stand in for it.
  ASSERT_EQ(Embed(app, L"[Java Runtime Environment]\r\nMain Class=com.example.Main\r\n", L"U"), 0u);
  app.WriteIni(L"[Product Information]\r\nUpgrade Code=U\r\n[Java Runtime Environment]\r\nMain Class=\r\n");
  auto run = app.Run();
  EXPECT_TRUE(run.boxes.empty()) << "an empty file value must leave the embedded value in place";

  ASSERT_EQ(Embed(app, L"[Java Runtime Environment]\r\nJVM Type=server\r\n", L"U"), 0u);
  app.WriteIni(L"[Product Information]\r\nUpgrade Code=U\r\n[Java Runtime Environment+]\r\nMain Class=x.Main\r\n");
  run = app.Run();
  EXPECT_TRUE(run.boxes.empty()) << "the '+' section must extend the (empty) embedded value";
}

TEST(EmbeddedSettings, ToolReportsUsageAndInputErrors) {
  AppFolder app;
  std::wstring tool = BinFile(L"embed-settings.exe");
  EXPECT_EQ(RunProcess(tool, Quoted(tool)).exitCode, 1u) << "usage error";
  EXPECT_EQ(RunProcess(tool, Quoted(tool) + L" " + Quoted(app.exe()) + L" " + Quoted(app.path(L"missing.txt")) +
                                 L" U")
                .exitCode,
            2u);
}

}  // namespace
