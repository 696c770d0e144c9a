// The virtual machine's exit and abort hooks reach the launcher's observer.
#include <gtest/gtest.h>

#include "launcher/launcher.h"

namespace {

class RecordingObserver : public launcher::VmHookObserver {
 public:
  std::vector<std::string> calls;
  void Exit(jint code) override { calls.push_back("exit " + std::to_string(code)); }
  void Abort() override { calls.push_back("abort"); }
};

TEST(VmHooks, ForwardToTheObserverOfTheCurrentLauncher) {
  launcher::Launcher launcher;
  ASSERT_EQ(launcher::Launcher::Current(), &launcher);
  // Without an observer both return at once.
  launcher::Launcher::VmExitHook(3);
  launcher::Launcher::VmAbortHook();

  RecordingObserver observer;
  launcher.vmSession.vmHookObserver = &observer;
  launcher::Launcher::VmExitHook(42);
  launcher::Launcher::VmExitHook(-1);
  launcher::Launcher::VmAbortHook();
  EXPECT_EQ(observer.calls, (std::vector<std::string>{"exit 42", "exit -1", "abort"}));
}

}  // namespace
