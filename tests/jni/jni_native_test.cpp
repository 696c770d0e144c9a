// The JNI layer against the real OpenJDK 17: each scenario creates its own
// virtual machine in a death-test child process.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "jvm/java_calls.h"
#include "tests/jni/jni_checks.h"
#include "tests/jni/output_matcher.h"

namespace {

using jnichecks::Scenario;

// An X display of the test's own for JavaFX: Xvfb picks a free display
// number and writes it to a pipe once it is ready.
class PrivateDisplay {
 public:
  PrivateDisplay() {
    int fds[2];
    if (pipe(fds) != 0) return;
    const std::string fd = std::to_string(fds[1]);
    pid_ = fork();
    if (pid_ == 0) {
      // Only the pipe stays open: an X server that outlives the test must not
      // hold the test's output open.
      const int devNull = open("/dev/null", O_RDWR);
      for (int standard = 0; standard < 3; ++standard) dup2(devNull, standard);
      for (int other = 3; other < 1024; ++other) {
        if (other != fds[1]) close(other);
      }
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "800x600x24", "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd ready{fds[0], POLLIN, 0};
    char c = 0;
    while (pid_ > 0 && poll(&ready, 1, 30000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (c == '\n' && !number.empty()) name_ = ":" + number;
  }
  ~PrivateDisplay() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  PrivateDisplay(const PrivateDisplay&) = delete;
  PrivateDisplay& operator=(const PrivateDisplay&) = delete;
  const std::string& name() const { return name_; }  // empty when Xvfb did not start

 private:
  pid_t pid_ = -1;
  std::string name_;
};

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

TEST_F(VmJniNative, ServiceStopCallsServiceStopThenSystemExitZero) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::ServiceStop), testing::ExitedWithCode(0),
              jnichecks::Holds({jnichecks::kServiceStopPassed, "exit hook received 0"}));
}

TEST_F(VmJniNative, HandOverCallsEitherFormOfSecondaryMainAndAnswers) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::HandOver), testing::ExitedWithCode(0),
              jnichecks::Holds({"NoSuchMethodError", "NoClassDefFoundError", jnichecks::kPassed}));
}

TEST_F(VmJniNative, ModularApplicationRunsTheMainClassOfItsDescriptor) {
  EXPECT_EXIT(jnichecks::RunScenario(Scenario::ModularApp), testing::ExitedWithCode(0),
              jnichecks::Holds({jnichecks::kPassed}));
}

// A child of its own rather than a death test: a death-test child runs the
// test from its start again, and would start a second display.
TEST_F(VmJniNative, JavaFxApplicationWithoutMainIsLaunched) {
  if (jnichecks::TestModulePath(Scenario::FxApp).empty()) GTEST_SKIP() << "no OpenJFX in /usr/share/openjfx";
  PrivateDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setenv("DISPLAY", display.name().c_str(), 1);
    jnichecks::RunScenario(Scenario::FxApp);  // ends the child: 0 when every check held
  }
  int status = 0;
  pid_t ended = 0;
  for (int waited = 0; waited < 1200 && (ended = waitpid(child, &status, WNOHANG)) == 0; ++waited) usleep(100000);
  if (ended == 0) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    FAIL() << "the JavaFX application did not end within two minutes";
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the JavaFX scenario failed (its checks are on standard error above), status " << status;
}

}  // namespace
