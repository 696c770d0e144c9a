// package-app.exe with an [Installer] section: on Windows it writes the WiX
// source beside the package it names and says how to build it.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/launcher_app.h"

namespace {

using testsupport::BinFile;
using testsupport::Quoted;

TEST(PackagedInstaller, WindowsToolWritesTheWixSourceAndSaysHowToBuildIt) {
  testsupport::AppFolder app(L"Tool.exe");
  testsupport::WriteBinaryFile(app.path(L"a.jar"), {'a'});
  std::string description =
      "[Package]\nUpgrade Code = {5B6C7D8E-9F0A-4B1C-8D2E-3F4A5B6C7D8E}\n"
      "[Version]\nFile Version = 1.2.3.4\nProduct Version = 1.2.3.0\nProduct Name = Windows Tool\n"
      "[Embedded: Java Runtime Environment]\nMain Class = test.Echo\n"
      "[Installer]\nFiles = a.jar\nFile Types = .wtool = Tool document\n";
  testsupport::WriteBinaryFile(app.path(L"app.package"), std::vector<unsigned char>(description.begin(), description.end()));
  std::wstring tool = BinFile(L"package-app.exe");
  testsupport::RunOptions options;
  options.stdoutFile = app.path(L"out.txt");
  options.stderrFile = app.path(L"errors.txt");
  auto result = testsupport::RunProcess(
      tool, Quoted(tool) + L" " + Quoted(BinFile(L"launcher.exe")) + L" " + Quoted(app.path(L"app.package")) + L" " +
                Quoted(app.exe()),
      options, 60000);
  ASSERT_TRUE(result.finished);
  std::wstring errors = testsupport::ReadTextFile(options.stderrFile);
  ASSERT_EQ(result.exitCode, 0u) << std::string(errors.begin(), errors.end());
  std::wstring said = testsupport::ReadTextFile(options.stdoutFile);
  for (const wchar_t* part : {L"Tool-1.2.3.0.wxs", L"candle -arch x64", L"light -o", L"Tool-1.2.3.0.msi"}) {
    EXPECT_NE(said.find(part), std::wstring::npos) << std::string(said.begin(), said.end());
  }
  std::wstring wix = testsupport::ReadTextFile(app.path(L"Tool-1.2.3.0.wxs"));
  for (const wchar_t* part : {L"UpgradeCode=\"{5B6C7D8E-9F0A-4B1C-8D2E-3F4A5B6C7D8E}\"", L"Source=\"Tool.exe\"",
                              L"Source=\"Tool.ini\"", L"Source=\"a.jar\"", L"Software\\Classes\\.wtool"}) {
    EXPECT_NE(wix.find(part), std::wstring::npos) << std::string(part, part + wcslen(part));
  }
  EXPECT_FALSE(testsupport::FileExists(app.path(L"Tool-1.2.3.0.msi")));
}

}  // namespace
