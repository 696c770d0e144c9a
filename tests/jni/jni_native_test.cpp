// The JNI layer against the real OpenJDK 17: each scenario creates its own
// virtual machine in a death-test child process.
#include <gtest/gtest.h>

#include "jvm/java_calls.h"
#include "tests/jni/jni_checks.h"
#include "tests/jni/output_matcher.h"

namespace {

using jnichecks::Scenario;

class VmJniNative : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(VmJniNative, OptionArrayKeepsOrderAndEndsWithTheHooks) {
  for (const std::string& failure : jnichecks::CheckOptionArray()) ADD_FAILURE() << failure;
}

TEST_F(VmJniNative, DefaultStackSizeComesFromTheRuntime) {
  auto entry = jnichecks::LoadVm();
  ASSERT_NE(entry.defaults, nullptr) << entry.error;
  EXPECT_GT(jvm::DefaultStackSizeFrom(entry.defaults), 0u) << "JNI_GetDefaultJavaVMInitArgs(1.1) gave no stack size";
  EXPECT_EQ(jvm::DefaultStackSizeFrom(nullptr), 0u);
}

TEST_F(VmJniNative, StringsAndStringArraysKeepEveryCodeUnit) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::StringRoundTrip), testing::ExitedWithCode(0),
              jnichecks::Holds({jnichecks::kPassed}));
}

TEST_F(VmJniNative, OptionStringsReachTheVirtualMachine) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::OptionsReachVm), testing::ExitedWithCode(0),
              jnichecks::Holds({jnichecks::kPassed}));
}

TEST_F(VmJniNative, TheVmsOwnWordsReachTheLaunchersHook) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::VmWordsReachTheHook), testing::ExitedWithCode(0),
              jnichecks::Holds({"Invalid maximum heap size", jnichecks::kPassed}));
}

TEST_F(VmJniNative, RedirectedOutputReceivesMainsArguments) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::RedirectAndEcho), testing::ExitedWithCode(0),
              jnichecks::Holds({jnichecks::kPassed}));
}

TEST_F(VmJniNative, ErrorStreamRedirectsSeparatelyAndFailuresAreDescribed) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::RedirectErrorStream), testing::ExitedWithCode(0),
              jnichecks::Holds({"Exception in thread", jnichecks::kPassed}));
}

TEST_F(VmJniNative, SharedOutputFileKeepsBothStreamsOutput) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::SharedOutputFile), testing::ExitedWithCode(0),
              jnichecks::Holds({jnichecks::kPassed}));
}

TEST_F(VmJniNative, MissingClassIsDescribedAndReported) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::ClassNotFound), testing::ExitedWithCode(0),
              jnichecks::Holds({"NoClassDefFoundError", jnichecks::kPassed}));
}

TEST_F(VmJniNative, MissingMainIsDescribedWithoutBox) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::NoMainMethod), testing::ExitedWithCode(0),
              jnichecks::Holds({"NoSuchMethodError", jnichecks::kPassed}));
}

TEST_F(VmJniNative, UncaughtExceptionIsDescribedAndTraceCaptured) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::ThrowsIgnored), testing::ExitedWithCode(0),
              jnichecks::Holds({"IllegalStateException", jnichecks::kPassed}));
}

TEST_F(VmJniNative, StopEndsTheProcessWithMinusOne) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::ThrowsStopped), testing::ExitedWithCode(jnichecks::StopExitCode()),
              jnichecks::Holds({"exit hook received -1"}));
}

TEST_F(VmJniNative, SystemExitReachesTheExitHookAndEndsTheProcess) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::ExitCode), testing::ExitedWithCode(42),
              jnichecks::Holds({"exit hook received 42"}));
}

TEST_F(VmJniNative, HandOverCallsEitherFormOfSecondaryMainAndAnswers) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::HandOver), testing::ExitedWithCode(0),
              jnichecks::Holds({"NoSuchMethodError", "NoClassDefFoundError", jnichecks::kPassed}));
}

}  // namespace
