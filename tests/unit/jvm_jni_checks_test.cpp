// The JNI layer's shared checks (tests/jni/jni_checks.cpp) against the
// test-double jvm.dll under Wine. Each scenario creates its virtual machine in
// a death-test child of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "common/folders.h"
#include "jvm/java_calls.h"
#include "tests/jni/jni_checks.h"
#include "tests/jni/output_matcher.h"
#include "tests/support/double_app.h"
#include "tests/support/double_record.h"
#include "tests/support/test_files.h"

namespace jnichecks {

VmEntryPoints LoadVm() {
  VmEntryPoints entry;
  const std::wstring path = testsupport::BinFile(L"double\\jvm.dll");
  HMODULE library = LoadLibraryW(path.c_str());  // never freed, as in the product
  if (library == nullptr) {
    entry.error = "LoadLibraryW of bin\\double\\jvm.dll failed with " + std::to_string(GetLastError());
    return entry;
  }
  entry.create = reinterpret_cast<jvm::CreateJavaVmFn>(GetProcAddress(library, "JNI_CreateJavaVM"));
  entry.defaults =
      reinterpret_cast<jvm::GetDefaultJavaVmInitArgsFn>(GetProcAddress(library, "JNI_GetDefaultJavaVMInitArgs"));
  if (entry.create == nullptr || entry.defaults == nullptr) {
    entry.create = nullptr;
    entry.error = "the double lacks an invocation entry point";
  }
  return entry;
}

std::vector<std::string> PlatformOptions() { return {"-Djava.class.path=."}; }

std::wstring NewScratchFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"vorn-jni-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(GetTickCount64());
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

std::uint32_t CreateParentFoldersFor(const std::wstring& path) { return folders::CreateParentFolders(path); }

std::string ReadFileBytes(const std::wstring& path) { return testsupport::ReadBytes(path); }

// The modular and JavaFX scenarios run against the real runtime only.
std::wstring TestModulePath(Scenario) { return {}; }

int StopExitCode() { return -1; }  // 0xFFFFFFFF
// The double's record is checked for misuse after every scenario instead.
int JniWarningCount() { return 0; }

}  // namespace jnichecks

namespace {

using jnichecks::Scenario;

// Each test's child writes the double's record to a file named after the
// test; the parent reads it afterwards: the layer must use JNI as the real VM
// demands (no misuse, no -Xcheck:jni warning, nothing unimplemented).
class VmJniDouble : public testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    const char* name = testing::UnitTest::GetInstance()->current_test_info()->name();
    record_ = std::wstring(temp) + L"vorn-jni-record-" + std::wstring(name, name + strlen(name)) + L".txt";
    DeleteFileW(record_.c_str());
    SetEnvironmentVariableW(L"VORN_DOUBLE_RECORD", record_.c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"VORN_DOUBLE_RECORD", nullptr);
    testsupport::DoubleRecord record = testsupport::ReadDoubleRecord(record_);
    std::string text;
    for (const auto& line : record.lines) text += line + "\n";
    EXPECT_TRUE(record.misuse.empty()) << text;
    EXPECT_TRUE(record.warnings.empty()) << text;
    EXPECT_TRUE(record.unimplemented.empty()) << text;
    DeleteFileW(record_.c_str());
  }

 private:
  std::wstring record_;
};

TEST_F(VmJniDouble, OptionArrayKeepsOrderAndEndsWithTheHooks) {
  for (const std::string& failure : jnichecks::CheckOptionArray()) ADD_FAILURE() << failure;
}

TEST_F(VmJniDouble, CreationFailureCodesMapToTheirReasons) {
  const std::pair<jint, unsigned> cases[] = {{-1, 225}, {-2, 226}, {-3, 227}, {-4, 228},
                                             {-5, 229}, {-6, 230}, {-7, 0},   {1, 0}};
  for (const auto& [result, id] : cases) EXPECT_EQ(jvm::CreationFailureReasonId(result), id) << "result " << result;
}

TEST_F(VmJniDouble, DefaultStackSizeComesFromTheRuntime) {
  auto entry = jnichecks::LoadVm();
  ASSERT_NE(entry.defaults, nullptr) << entry.error;
  EXPECT_GT(jvm::DefaultStackSizeFrom(entry.defaults), 0u) << "JNI_GetDefaultJavaVMInitArgs(1.1) gave no stack size";
  EXPECT_EQ(jvm::DefaultStackSizeFrom(nullptr), 0u);
}

TEST_F(VmJniDouble, StringsAndStringArraysKeepEveryCodeUnit) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::StringRoundTrip), testing::ExitedWithCode(0),
              jnichecks::Holds({jnichecks::kPassed}));
}

TEST_F(VmJniDouble, TheVmsOwnWordsReachTheLaunchersHook) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::VmWordsReachTheHook), testing::ExitedWithCode(0),
              jnichecks::Holds({"Invalid maximum heap size", jnichecks::kPassed}));
}

TEST_F(VmJniDouble, RedirectedOutputReceivesMainsArguments) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::RedirectAndEcho), testing::ExitedWithCode(0),
              jnichecks::Holds({jnichecks::kPassed}));
}

TEST_F(VmJniDouble, ErrorStreamRedirectsSeparatelyAndFailuresAreDescribed) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::RedirectErrorStream), testing::ExitedWithCode(0),
              jnichecks::Holds({jnichecks::kPassed}));
}

TEST_F(VmJniDouble, SharedOutputFileKeepsBothStreamsOutput) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::SharedOutputFile), testing::ExitedWithCode(0),
              jnichecks::Holds({jnichecks::kPassed}));
}

TEST_F(VmJniDouble, MissingClassIsDescribedAndReported) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::ClassNotFound), testing::ExitedWithCode(0),
              jnichecks::Holds({"NoClassDefFoundError", jnichecks::kPassed}));
}

TEST_F(VmJniDouble, MissingMainIsDescribedWithoutBox) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::NoMainMethod), testing::ExitedWithCode(0),
              jnichecks::Holds({"NoSuchMethodError", jnichecks::kPassed}));
}

TEST_F(VmJniDouble, UncaughtExceptionIsDescribedAndTraceCaptured) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::ThrowsIgnored), testing::ExitedWithCode(0),
              jnichecks::Holds({"IllegalStateException", jnichecks::kPassed}));
}

TEST_F(VmJniDouble, StopEndsTheProcessWithMinusOne) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::ThrowsStopped), testing::ExitedWithCode(jnichecks::StopExitCode()),
              jnichecks::Holds({"exit hook received -1"}));
}

TEST_F(VmJniDouble, SystemExitReachesTheExitHookAndEndsTheProcess) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::ExitCode), testing::ExitedWithCode(42),
              jnichecks::Holds({"exit hook received 42"}));
}

TEST_F(VmJniDouble, ServiceStopCallsServiceStopThenSystemExitZero) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::ServiceStop), testing::ExitedWithCode(0),
              jnichecks::Holds({jnichecks::kServiceStopPassed, "exit hook received 0"}));
}

TEST_F(VmJniDouble, HandOverCallsEitherFormOfSecondaryMainAndAnswers) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::HandOver), testing::ExitedWithCode(0),
              jnichecks::Holds({"NoSuchMethodError", "NoClassDefFoundError", jnichecks::kPassed}));
}

}  // namespace
