// The Java thread of the launch: its stack, the call of main, the "Java
// Exception" dialog, and the VM's exit and abort hooks.
#include <windows.h>

#include <cstdlib>

#include "common/exit_codes.h"
#include "common/text.h"
#include "common/win_handles.h"
#include "jvm/exception_dialog.h"
#include "jvm/java_calls.h"
#include "jvm/startup_cache_win.h"
#include "jvm/vm_start_output_win.h"
#include "launcher/launcher.h"
#include "report/diagnostics_log.h"
#include "report/error_report.h"
#include "report/message_ids.h"
#include "report/service_mode.h"
#include "runtime/runtime_rules.h"

namespace launcher {

namespace {

// The launcher's side of the main invocation: message boxes, the event, the
// splash window and the exception dialog.
class LauncherInvocationHost : public jvm::MainInvocationHost {
 public:
  explicit LauncherInvocationHost(Launcher& launcher) : launcher_(launcher) {}

  void ReportMainNotCalled(unsigned id, const std::wstring& name) override {
    report::ReportError(launcher_.splashState.splashWindowHandle, id, name);
  }
  void MainAboutToRun() override {
    launcher_.vmSession.startupCache.mainRan = true;
    launcher_.mainCalled = true;
    launcher_.instanceState.MainStarted(launcher_.vmSession.javaVm);
    if (launcher_.vmSession.vmHookObserver != nullptr) launcher_.vmSession.vmHookObserver->MainStarted();
  }
  void CloseSplash() override { launcher_.splashState.CloseSplashWindow(); }
  // The "Java Exception" dialog for a throwable that escaped main.
  jvm::ExceptionAnswer ShowExceptionDialog(JNIEnv* env, jthrowable throwable) override {
    using jvm::ExceptionAnswer;
    // A console program has printed it; a service has its "Error File" or nothing.
    if (!report::WindowsAllowed()) return ExceptionAnswer::kNotAsked;
    std::wstring trace = jvm::StackTraceText(env, throwable);
    if (trace.empty()) return ExceptionAnswer::kNotAsked;  // nothing to show: the application goes on
    // Anything but Ignore stops, a dialog that could not be created included.
    const bool ignored = jvm::ShowExceptionDialog(GetActiveWindow(), trace) == IDOK;
    return ignored ? ExceptionAnswer::kGoOn : ExceptionAnswer::kStop;
  }

 private:
  Launcher& launcher_;
};

}  // namespace

void JNICALL Launcher::VmExitHook(jint code) {
  Launcher* launcher = Current();
  // The runtime has written its archive by now; the process ends after this hook.
  if (launcher != nullptr) jvm::EndStartupCache(launcher->vmSession.startupCache, false, code);
  VmHookObserver* observer = launcher != nullptr ? launcher->vmSession.vmHookObserver : nullptr;
  if (observer != nullptr) observer->Exit(code);
  // The new launcher waits for this process to end, when the VM has let go
  // of the application's files and the single-instance block is gone.
  if (launcher != nullptr && launcher->RestartApplication(code)) {
    diag::Log({"exit code 0"});
    std::exit(0);
  }
}

void JNICALL Launcher::VmAbortHook() {
  Launcher* launcher = Current();
  if (launcher != nullptr) jvm::EndStartupCache(launcher->vmSession.startupCache, true, 1);
  // The VM ends the process once this returns: what it said so far is shown first.
  report::ReportError(launcher != nullptr ? launcher->splashState.splashWindowHandle : nullptr, IDS_VM_ABORTED,
                      jvm::VmWords());
  VmHookObserver* observer = launcher != nullptr ? launcher->vmSession.vmHookObserver : nullptr;
  if (observer != nullptr) observer->Abort();
}

SIZE_T VmSession::DefaultJavaStackSize() const { return jvm::DefaultStackSizeFrom(getDefaultJavaVmInitArgs); }

DWORD Launcher::StartJavaThread() {
  SIZE_T& javaThreadStackSize = vmSession.javaThreadStackSize;
  if (javaThreadStackSize == 0) javaThreadStackSize = vmSession.DefaultJavaStackSize();
  if (diag::Enabled()) diag::Log({"Java thread stack size ", text::DecimalText(std::uint64_t{javaThreadStackSize})});
  // The size is the stack's reservation, as the runtimes' own launchers pass
  // it: a commit would take all of a large stack up front, and could not make
  // one smaller than the executable's default.
  win::Handle thread(CreateThread(nullptr, javaThreadStackSize, &Launcher::JavaThreadMain, this,
                                  STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
  if (!thread) return JavaThreadMain(this);
  WaitForSingleObject(thread.get(), INFINITE);
  DWORD code = exitcode::kLaunchFailedCode;
  if (!GetExitCodeThread(thread.get(), &code)) code = exitcode::kLaunchFailedCode;
  return code;
}

DWORD WINAPI Launcher::JavaThreadMain(LPVOID param) {
  auto* launcher = static_cast<Launcher*>(param);
  if (launcher == nullptr || !launcher->vmSession.CreateVm(launcher->splashState.splashWindowHandle)) {
    return exitcode::kLaunchFailedCode;
  }
  return launcher->InvokeMain();
}

DWORD Launcher::InvokeMain() {
  LauncherInvocationHost host(*this);
  // A main module alone runs the main class its descriptor names.
  const std::wstring mainClass = settings.mainClass.empty()
                                     ? jvm::DescriptorMainClass(vmSession.mainEnv, settings.mainModule)
                                     : settings.mainClass;
  // Later starts hand over to the same class: a module's own main class too.
  if (instanceState.primaryMain.mainClass.empty()) instanceState.primaryMain.mainClass = mainClass;
  const jvm::MainOutcome outcome = jvm::CallMain(vmSession.mainEnv, mainClass, arguments, settings.failureCheck, host);
  if (outcome != jvm::kMainNotCalled && runtime::KeepsJavaThreadAttached(settings.search)) {
    // This thread stays attached for good; the application ends the process.
    for (;;) Sleep(INFINITE);
  }
  // Detached on failure too: a thread that ends attached would keep
  // DestroyJavaVM waiting for ever in the teardown.
  const jint detached = vmSession.javaVm->DetachCurrentThread();
  if (outcome == jvm::kMainNotCalled || detached != 0) return exitcode::kLaunchFailedCode;
  // As the java command: an exception that escaped main ends the run with 1.
  return outcome == jvm::kMainThrew ? 1 : 0;
}

}  // namespace launcher
