// The settings stage fills every field of the launch's settings. The test
// program reads its own settings file (unit_launcher.ini beside it), as the
// launcher does.
#include <gtest/gtest.h>

#include "common/shell_api.h"
#include "common/text_win.h"
#include "config/settings_store.h"
#include "launcher/launcher.h"
#include "tests/support/process_runner.h"
#include "tests/support/test_files.h"

namespace {

using testsupport::TempFolder;
using testsupport::WriteTextFile;

class LauncherReadSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    iniPath_ = testsupport::BinFile(L"unit_launcher.ini");
    savedAppData_ = text::GetEnvironment(L"APPDATA");
    SetEnvironmentVariableW(L"APPDATA", appData_.path().c_str());
  }
  void TearDown() override {
    DeleteFileW(iniPath_.c_str());
    SetEnvironmentVariableW(L"APPDATA", savedAppData_.empty() ? nullptr : savedAppData_.c_str());
  }
  void WriteIni(const std::wstring& content) { WriteTextFile(iniPath_, content); }

  std::wstring iniPath_;
  std::wstring savedAppData_;
  TempFolder appData_;
};

TEST_F(LauncherReadSettings, EveryFieldFromItsKey) {
  WriteIni(
      L"[Product Information]\r\nProduct Name=Tool\r\nProduct Code={PC}\r\nUpgrade Code={UC}\r\n"
      L"[Application]\r\nFailure Check=YES\r\nOverride WorkingDir=yes\r\nPair Product=C:\\x86\\app32.exe\r\n"
      L"Pair Return Code=Yes\r\n"
      L"[Java Runtime Environment]\r\nMain Class=com.example.app.Main\r\nMinimum Version=1.6\r\n"
      L"Maximum Version=1.7\r\nPreferred versions=1.6;;1.7;\r\nJVM Type=favor_server\r\nJVM Source=only_JDK\r\n"
      L"VM Provider=IBM\r\nSystem Path=C:\\sys\r\nLibrary Path=C:\\native\r\nJRE Path=C:\\jre\r\n");
  launcher::LaunchSettings l;
  ASSERT_TRUE(l.ReadSettings());
  EXPECT_EQ(l.mainClass, L"com/example/app/Main");
  EXPECT_EQ(l.productName, L"Tool");
  EXPECT_EQ(l.productCode, L"{PC}");
  EXPECT_EQ(l.upgradeCode, L"{UC}");
  EXPECT_TRUE(l.failureCheck);
  EXPECT_TRUE(l.overrideWorkingDir);
  EXPECT_TRUE(l.returnPairExitCode);
  EXPECT_EQ(l.pairProduct, L"C:\\x86\\app32.exe");
  EXPECT_TRUE(l.search.hasPairProduct) << "the runtime search reads the 32-bit view too";
  EXPECT_EQ(l.search.minimumVersion.parts, (std::array<std::int32_t, 4>{1, 6, 0, 0}));
  EXPECT_EQ(l.search.maximumVersion.parts, (std::array<std::int32_t, 4>{1, 7, 65535, 65535}));
  EXPECT_EQ(l.search.preferredVersions, (std::vector<std::wstring>{L"1.6", L"", L"1.7"}));
  EXPECT_EQ(l.search.jvmType, config::JvmType::FavorServer);
  EXPECT_TRUE(l.search.searchJdk);
  EXPECT_FALSE(l.search.searchJre);
  EXPECT_FALSE(l.search.favorMode);
  EXPECT_TRUE(l.search.allowIbm && l.search.favorIbm);
  EXPECT_FALSE(l.search.allowSun || l.search.favorSun || l.search.allowJRockit || l.search.favorJRockit);
  EXPECT_EQ(l.systemPathSetting, L"C:\\sys");
  EXPECT_EQ(l.libraryPathSetting, L"C:\\native");
  EXPECT_EQ(l.search.jrePath, L"C:\\jre");
  EXPECT_FALSE(l.isService);
}

TEST_F(LauncherReadSettings, DefaultsWhenOnlyTheMainClassIsGiven) {
  WriteIni(L"[Java Runtime Environment+]\r\nMain Class=Main\r\n");
  launcher::LaunchSettings l;
  ASSERT_TRUE(l.ReadSettings());
  EXPECT_EQ(l.mainClass, L"Main") << "a '+' value with nothing beneath it is taken as it stands";
  EXPECT_EQ(l.search.jvmType, config::JvmType::Any);
  EXPECT_TRUE(l.search.searchJdk && l.search.searchJre && l.search.favorMode);
  EXPECT_TRUE(l.search.allowSun && l.search.favorSun);
  EXPECT_FALSE(l.failureCheck || l.overrideWorkingDir || l.returnPairExitCode || l.isService);
  EXPECT_EQ(l.search.maximumVersion.parts, (std::array<std::int32_t, 4>{65535, 65535, 65535, 65535}))
      << "an omitted maximum must not reject every runtime";
  EXPECT_TRUE(l.search.preferredVersions.empty());
  EXPECT_TRUE(l.search.jrePath.empty());
}

TEST_F(LauncherReadSettings, PerUserFileOwnsJrePathWhenItExists) {
  WriteIni(L"[Product Information]\r\nProduct Name=A/B: Tools?\r\nProduct Code={P1}\r\n"
           L"[Java Runtime Environment]\r\nMain Class=M\r\nJRE Path=C:\\from-settings\r\n");
  {
    launcher::LaunchSettings l;
    ASSERT_TRUE(l.ReadSettings());
    EXPECT_EQ(l.search.jrePath, L"C:\\from-settings") << "no per-user file yet";
  }
  std::wstring perUser = appData_ / L"AB Tools\\{P1}\\unit_launcher.ini";
  // Any process of the user may have written that file: an elevated one (as
  // every Wine process is) takes "JRE Path" from the settings file alone.
  const bool elevated = testsupport::RunsElevated();
  WriteTextFile(perUser, L"[Java Runtime Environment]\r\nJRE Path=D:\\per-user\\\r\n");
  {
    launcher::LaunchSettings l;
    ASSERT_TRUE(l.ReadSettings());
    EXPECT_EQ(l.search.jrePath, elevated ? L"C:\\from-settings" : L"D:\\per-user\\");
  }
  WriteTextFile(perUser, L"[Other]\r\nX=1\r\n");
  {
    launcher::LaunchSettings l;
    ASSERT_TRUE(l.ReadSettings());
    EXPECT_EQ(l.search.jrePath, elevated ? L"C:\\from-settings" : L"")
        << "an existing per-user file is the only source, even without the key";
  }
  WriteIni(L"[Product Information]\r\nProduct Name=A/B: Tools?\r\nProduct Code={P1}\r\n"
           L"[Application]\r\nApplication Type=service\r\n"
           L"[Java Runtime Environment]\r\nMain Class=M\r\nJRE Path=C:\\from-settings\r\n");
  {
    launcher::LaunchSettings l;
    ASSERT_TRUE(l.ReadSettings());
    EXPECT_TRUE(l.isService);
    EXPECT_EQ(l.search.jrePath, L"C:\\from-settings") << "a service never uses the per-user file";
  }
}

TEST_F(LauncherReadSettings, WriteBackGoesToPerUserFilesOnlyWithAPairProduct) {
  std::wstring pair = appData_ / L"x86\\app32.exe";
  WriteIni(L"[Product Information]\r\nProduct Name=Tool\r\nProduct Code={P2}\r\n"
           L"[Java Runtime Environment]\r\nMain Class=M\r\n");
  {
    launcher::LaunchSettings l;
    ASSERT_TRUE(l.ReadSettings());
    l.WriteBackJrePath(L"C:\\chosen\\");
    EXPECT_FALSE(testsupport::FileExists(appData_ / L"Tool")) << "without a pair product nothing is written";
  }
  WriteIni(L"[Product Information]\r\nProduct Name=Tool\r\nProduct Code={P2}\r\n"
           L"[Application]\r\nPair Product=" + pair + L"\r\n[Java Runtime Environment]\r\nMain Class=M\r\n");
  std::wstring before = testsupport::ReadTextFile(iniPath_);
  {
    launcher::LaunchSettings l;
    ASSERT_TRUE(l.ReadSettings());
    l.WriteBackJrePath(L"C:\\chosen \u65E5\\");
  }
  EXPECT_EQ(config::ReadFileValue(appData_ / L"Tool\\{P2}\\unit_launcher.ini", L"Java Runtime Environment",
                                  L"JRE Path"),
            L"C:\\chosen \u65E5\\");
  EXPECT_EQ(config::ReadFileValue(appData_ / L"Tool\\{P2}\\app32.ini", L"Java Runtime Environment", L"JRE Path"),
            L"C:\\chosen \u65E5\\");
  EXPECT_EQ(testsupport::ReadTextFile(iniPath_), before) << "the settings file beside the executable is never written";
  {
    launcher::LaunchSettings l;
    ASSERT_TRUE(l.ReadSettings());
    EXPECT_EQ(l.search.jrePath, testsupport::RunsElevated() ? L"" : L"C:\\chosen \u65E5\\")
        << "the next start reads the written folder back, unless it is elevated";
  }
}

TEST_F(LauncherReadSettings, WithoutAppDataTheUsersRoamingFolderServesBothWays) {
  SetEnvironmentVariableW(L"APPDATA", nullptr);
  const std::wstring roaming = win::RoamingAppDataFolder();
  ASSERT_FALSE(roaming.empty());
  const std::wstring product = roaming + L"\\VornNoAppData";  // this test's own
  testsupport::RemoveTree(product);
  WriteIni(L"[Product Information]\r\nProduct Name=VornNoAppData\r\nProduct Code={P4}\r\n"
           L"[Application]\r\nPair Product=" + appData_ / L"x86\\app32.exe" +
           L"\r\n[Java Runtime Environment]\r\nMain Class=M\r\n");
  {
    launcher::LaunchSettings l;
    ASSERT_TRUE(l.ReadSettings());
    l.WriteBackJrePath(L"C:\\chosen\\");
  }
  EXPECT_FALSE(testsupport::FileExists(L"\\VornNoAppData")) << "no folder at the root of the drive";
  EXPECT_EQ(config::ReadFileValue(product + L"\\{P4}\\unit_launcher.ini", L"Java Runtime Environment", L"JRE Path"),
            L"C:\\chosen\\");
  {
    launcher::LaunchSettings l;
    ASSERT_TRUE(l.ReadSettings());
    EXPECT_EQ(l.search.jrePath, testsupport::RunsElevated() ? L"" : L"C:\\chosen\\")
        << "the next start reads it from the same folder, unless it is elevated";
  }
  testsupport::RemoveTree(product);
}

TEST_F(LauncherReadSettings, ServiceWritesBackIntoThePairedProductsOwnFile) {
  std::wstring pair = appData_ / L"x86\\app32.exe";
  WriteIni(L"[Application]\r\nApplication Type=service\r\nPair Product=" + pair +
           L"\r\n[Java Runtime Environment]\r\nMain Class=M\r\n");
  testsupport::WriteTextFile(appData_ / L"x86\\app32.ini", L"[Java Runtime Environment]\r\nMain Class=M32\r\n");
  launcher::LaunchSettings l;
  ASSERT_TRUE(l.ReadSettings());
  l.WriteBackJrePath(L"C:\\svc-jre\\");
  EXPECT_EQ(config::ReadFileValue(appData_ / L"x86\\app32.ini", L"Java Runtime Environment", L"JRE Path"),
            L"C:\\svc-jre\\");
  EXPECT_EQ(config::ReadFileValue(appData_ / L"x86\\app32.ini", L"Java Runtime Environment", L"Main Class"), L"M32");
}

}  // namespace
