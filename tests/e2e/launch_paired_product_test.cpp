// The paired product end to end: a launcher copy whose "JRE Path" holds a
// 32-bit jvm.dll starts the "Pair Product" instead of a virtual machine. The
// product is a recording stand-in (bin/fixtures/paired-product.exe).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/support/launcher_app.h"
#include "tests/support/process_runner.h"
#include "tests/support/test_files.h"

namespace {

using testsupport::AppFolder;
using testsupport::RunOptions;

class PairedProduct : public testing::Test {
 protected:
  void SetUp() override {
    testsupport::CopyFileTo(testsupport::BinFile(L"fixtures\\x86\\jvm.dll"), app_.path(L"jre32\\bin\\server\\jvm.dll"));
    testsupport::CopyFileTo(testsupport::BinFile(L"fixtures\\paired-product.exe"), product());
  }

  // A path with a space: it must not split into arguments of the product.
  std::wstring product() const { return app_.path(L"x86 build\\app32.exe"); }
  std::wstring record() const { return app_.path(L"paired-record.txt"); }

  void WriteIni(const std::wstring& pairProduct, const std::wstring& returnCode) const {
    app_.WriteIni(L"[Java Runtime Environment]\r\nMain Class=test.Echo\r\nJRE Path=" + app_.path(L"jre32") +
                  L"\r\n[Class Path]\r\nClass Path=C:\\app\\classes.jar\r\n[Application]\r\nPair Product=" +
                  pairProduct + L"\r\nPair Return Code=" + returnCode + L"\r\n");
  }

  RunOptions Options(const std::wstring& exitCode, const std::wstring& release = L"") const {
    RunOptions options;
    options.environment[L"VORN_PAIR_RECORD"] = record();
    options.environment[L"VORN_PAIR_EXIT"] = exitCode;
    if (!release.empty()) options.environment[L"VORN_PAIR_RELEASE"] = release;
    return options;
  }

  AppFolder app_;
};

TEST_F(PairedProduct, ReturnCodeYesWaitsAndGivesTheFullExitCode) {
  WriteIni(product(), L"YES");
  auto run = app_.Run(L"a \"b c\" -nosplash", Options(L"0x87654321"));
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0x87654321u);
  EXPECT_TRUE(run.boxes.empty()) << "the 32-bit jvm.dll is never loaded";
  EXPECT_EQ(testsupport::ReadTextFile(record()),
            L"command line " + testsupport::Quoted(product()) +
                L"\r\nVORN_JVM_PATH unset\r\nVORN_JVM_HOME unset\r\nended\r\n")
      << "started without the launcher's arguments and without the runtime's environment";
}

TEST_F(PairedProduct, WithoutReturnCodeTheLauncherEndsAtOnceWithZero) {
  WriteIni(product(), L"true");
  const std::wstring release = L"vorn-paired-release-" + std::to_wstring(GetCurrentProcessId());
  HANDLE releaseEvent = CreateEventW(nullptr, TRUE, FALSE, release.c_str());
  auto run = app_.Run(L"", Options(L"5", release));
  ASSERT_TRUE(run.result.finished) << "the launcher does not wait for the paired product";
  EXPECT_EQ(run.result.exitCode, 0u);
  const std::wstring whileRunning = testsupport::ReadTextFile(record());
  EXPECT_EQ(whileRunning.find(L"ended"), std::wstring::npos) << "the product still ran when the launcher ended";
  // Kept open until the product has seen it: the event must not vanish first.
  SetEvent(releaseEvent);
  const ULONGLONG end = GetTickCount64() + 60000;
  while (testsupport::ReadTextFile(record()).find(L"ended") == std::wstring::npos && GetTickCount64() < end) Sleep(50);
  CloseHandle(releaseEvent);
  EXPECT_NE(testsupport::ReadTextFile(record()).find(L"ended"), std::wstring::npos) << "the product ran on by itself";
}

TEST_F(PairedProduct, RelativeProductIsTakenFromTheExecutablesFolder) {
  WriteIni(L"x86 build\\app32.exe", L"Yes");
  testsupport::TempFolder elsewhere;
  RunOptions options = Options(L"7");
  options.workingDirectory = elsewhere.path();
  auto run = app_.Run(L"", options);
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 7u) << "the product beside the executable did not run";
  EXPECT_EQ(testsupport::ReadTextFile(record()).find(L"command line " + testsupport::Quoted(product())), 0u)
      << testsupport::ReadTextFile(record());
}

TEST_F(PairedProduct, ProductThatCannotStartGivesZero) {
  WriteIni(app_.path(L"missing\\app32.exe"), L"Yes");
  auto run = app_.Run(L"", Options(L"9"));
  ASSERT_TRUE(run.result.finished);
  EXPECT_EQ(run.result.exitCode, 0u);
  EXPECT_TRUE(run.boxes.empty());
}

}  // namespace
