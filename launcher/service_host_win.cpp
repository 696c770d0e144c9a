// The service host's edge: the Service Control Manager's dispatcher on a
// thread of its own, the status reports, and the stop request. The launch
// itself runs on the process's main thread as always.
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/exit_codes.h"
#include "common/text.h"
#include "common/text_win.h"
#include "common/win_handles.h"
#include "jvm/service_stop.h"
#include "launcher/launcher.h"
#include "launcher/service_host.h"
#include "launcher/service_rules.h"
#include "report/diagnostics_log.h"
#include "report/service_mode.h"

namespace launcher {
namespace {

// The status's lock for one scope (the manager's thread, the ticker, the
// stopper, the main thread and the VM's exit hook all report).
class ExclusiveLock {
 public:
  explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
  ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;

 private:
  SRWLOCK& lock_;
};

// The service's own variables ("NAME=value" strings in its key's
// "Environment" value): Windows' manager gives them to the process, Wine's
// does not; set here as well, so that they (VORN_LAUNCHER_LOG, a runtime's
// variables) reach the launch wherever it runs.
void ApplyServiceEnvironment(const wchar_t* name) {
  const std::wstring key = std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\") + name;
  std::wstring block(32768, L'\0');
  DWORD size = static_cast<DWORD>(block.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Environment", RRF_RT_REG_MULTI_SZ, nullptr, block.data(),
                   &size) != ERROR_SUCCESS) {
    return;
  }
  // The strings end with an empty one (the value's own, or the block's rest).
  for (const wchar_t* entry = block.c_str(); *entry != L'\0';) {
    const std::wstring_view text(entry);
    const std::size_t equals = text.find(L'=', 1);
    if (equals != std::wstring_view::npos) {
      SetEnvironmentVariableW(std::wstring(text.substr(0, equals)).c_str(), entry + equals + 1);
    }
    entry += text.size() + 1;
  }
  diag::OpenWhenNamedLater();
}

std::wstring Decimal(std::uint32_t value) { return text::DecimalText(std::uint64_t{value}); }

class ServiceHost final : public VmHookObserver {
 public:
  ServiceHost(std::uint32_t stopTimeoutSeconds, const std::wstring& executablePath)
      : stopTimeoutSeconds_(stopTimeoutSeconds),
        executablePath_(executablePath),  // the settings' own, which outlive the launch
        decided_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        ended_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

  // The manager's dispatcher: it calls the service's main function when the
  // manager started this process, and fails at once otherwise.
  static DWORD WINAPI DispatcherMain(LPVOID context) {
    // An own-process service's name in the table does not matter.
    wchar_t anyName[] = L"";
    const SERVICE_TABLE_ENTRYW table[] = {{anyName, &ServiceHost::DispatchedServiceMain}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherW(table)) static_cast<ServiceHost*>(context)->Decide(GetLastError());
    return 0;
  }

  // Whether the manager started this process (it has then heard START_PENDING).
  bool Connected() {
    // The dispatcher answers soon either way; the bound keeps a manager that
    // never does from holding the launch.
    if (WaitForSingleObject(decided_.get(), 30000) != WAIT_OBJECT_0) dispatchError_ = ERROR_TIMEOUT;
    if (dispatchError_ != ERROR_SUCCESS) diag::Log({"not running as a service: error ", Decimal(dispatchError_)});
    return dispatchError_ == ERROR_SUCCESS;
  }

  // The launch has ended with `result`: STOPPED, and the dispatcher ends.
  void End(int result) {
    ReportStopped(service::AfterRun(result));
    SetEvent(ended_.get());
  }

  void MainStarted() override {
    ExclusiveLock hold(lock_);
    if (status_.dwCurrentState != SERVICE_START_PENDING) return;
    status_.dwCurrentState = SERVICE_RUNNING;
    status_.dwControlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN | SERVICE_ACCEPT_PRESHUTDOWN;
    status_.dwWaitHint = 0;
    status_.dwCheckPoint = 0;
    SetServiceStatus(statusHandle_, &status_);
    diag::Log({"service running"});
  }

  // System.exit: the process ends once this returns.
  void Exit(jint code) override { ReportStopped(service::AfterJavaExit(code)); }

  // The VM ends the process with 1 once this returns; what it said is reported.
  void Abort() override { ReportStopped(service::AfterRun(exitcode::kLaunchFailed)); }

  static void WINAPI DispatchedServiceMain(DWORD argc, LPWSTR* argv);

  // The service's main function: START_PENDING, then checkpoints until the
  // end of the launch, which goes on on the process's main thread.
  void ServiceMain(DWORD argc, LPWSTR* argv) {
    const wchar_t* name = argc > 0 && argv[0] != nullptr ? argv[0] : L"";
    statusHandle_ = RegisterServiceCtrlHandlerExW(name, &ServiceHost::Control, this);
    if (statusHandle_ == nullptr) {
      Decide(GetLastError());
      return;
    }
    report::EnterServiceMode(name);
    ApplyServiceEnvironment(name);
    {
      ExclusiveLock hold(lock_);
      status_.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
      status_.dwCurrentState = SERVICE_START_PENDING;
      status_.dwWaitHint = service::kStartWaitHintMs;
      status_.dwCheckPoint = 1;
      SetServiceStatus(statusHandle_, &status_);
    }
    // The manager starts a service in the system folder.
    Launcher::OverrideWorkingDirectory(executablePath_);
    Decide(ERROR_SUCCESS);
    while (WaitForSingleObject(ended_.get(), service::kCheckpointIntervalMs) == WAIT_TIMEOUT) Tick();
  }

 private:
  void Decide(DWORD error) {
    dispatchError_ = error;
    SetEvent(decided_.get());
  }

  static DWORD WINAPI Control(DWORD control, DWORD, LPVOID, LPVOID context) {
    switch (control) {
      case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
      case SERVICE_CONTROL_STOP:
      case SERVICE_CONTROL_SHUTDOWN:
      case SERVICE_CONTROL_PRESHUTDOWN:
        static_cast<ServiceHost*>(context)->BeginStop();
        return NO_ERROR;
      default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
  }

  // On the manager's thread, which must answer at once: STOP_PENDING, and the
  // application is asked on a thread of its own.
  void BeginStop() {
    {
      ExclusiveLock hold(lock_);
      if (status_.dwCurrentState != SERVICE_RUNNING) return;
      status_.dwCurrentState = SERVICE_STOP_PENDING;
      status_.dwControlsAccepted = 0;
      status_.dwWaitHint = service::StopWaitHintMs(stopTimeoutSeconds_);
      status_.dwCheckPoint = 1;
      stopDeadline_ = GetTickCount64() + std::uint64_t{stopTimeoutSeconds_} * 1000;
      SetServiceStatus(statusHandle_, &status_);
    }
    win::Handle stopper(CreateThread(nullptr, 0, &ServiceHost::StopperMain, nullptr, 0, nullptr));
  }

  static DWORD WINAPI StopperMain(LPVOID) {
    Launcher* launcher = Launcher::Current();
    if (launcher == nullptr) return 0;
    // The main class as main was called with it: a module's own one too.
    const std::string mainClass = text::ToThreadAnsi(launcher->instanceState.primaryMain.mainClass);
    // System.exit(0) returns only when the VM is ending already.
    if (jvm::RequestApplicationStop(launcher->vmSession.javaVm, mainClass) == jvm::StopRequest::kNotAttached) {
      diag::Log({"service stop: not attached"});
    }
    return 0;
  }

  // A new checkpoint while the launch starts or stops, or the end of a stop
  // that outlived its timeout.
  void Tick() {
    {
      ExclusiveLock hold(lock_);
      const DWORD state = status_.dwCurrentState;
      if (state != SERVICE_STOP_PENDING || GetTickCount64() < stopDeadline_) {
        if (state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING) {
          ++status_.dwCheckPoint;
          SetServiceStatus(statusHandle_, &status_);
        }
        return;
      }
    }
    ReportStopped(service::AfterStopTimeout());
    ExitProcess(service::kStopTimedOutError);
  }

  void ReportStopped(service::StoppedCodes codes) {
    ExclusiveLock hold(lock_);
    if (status_.dwCurrentState == SERVICE_STOPPED) return;
    status_.dwCurrentState = SERVICE_STOPPED;
    status_.dwControlsAccepted = 0;
    status_.dwWaitHint = 0;
    status_.dwCheckPoint = 0;
    status_.dwWin32ExitCode = codes.win32ExitCode;
    status_.dwServiceSpecificExitCode = codes.serviceSpecificExitCode;
    diag::Log({"service stopped: ", Decimal(codes.win32ExitCode), " ", Decimal(codes.serviceSpecificExitCode)});
    SetServiceStatus(statusHandle_, &status_);
  }

  const std::uint32_t stopTimeoutSeconds_;
  const std::wstring& executablePath_;
  DWORD dispatchError_ = ERROR_SUCCESS;
  // Set once the dispatcher has failed or the service has heard START_PENDING.
  win::Handle decided_;
  SERVICE_STATUS_HANDLE statusHandle_ = nullptr;
  SRWLOCK lock_ = SRWLOCK_INIT;
  SERVICE_STATUS status_{};
  ULONGLONG stopDeadline_ = 0;
  // Set once the launch has ended (the VM destroyed) and STOPPED is reported.
  win::Handle ended_;
};

// The one service of this process, for the dispatcher's main function. Once
// connected it lives as long as the process.
ServiceHost* host = nullptr;

void WINAPI ServiceHost::DispatchedServiceMain(DWORD argc, LPWSTR* argv) { host->ServiceMain(argc, argv); }

}  // namespace

void ConnectServiceWhenStartedSo(std::uint32_t stopTimeoutSeconds, const std::wstring& executablePath) {
  if (host != nullptr) return;
  auto* candidate = new ServiceHost(stopTimeoutSeconds, executablePath);
  host = candidate;
  win::Handle dispatcher(CreateThread(nullptr, 0, &ServiceHost::DispatcherMain, candidate, 0, nullptr));
  if (!dispatcher || !candidate->Connected()) {
    // A dispatcher that failed has ended with that; one that never answered
    // is left with the host it was given.
    if (dispatcher && WaitForSingleObject(dispatcher.get(), 0) != WAIT_OBJECT_0) return;
    host = nullptr;
    delete candidate;
    return;
  }
  if (Launcher* launcher = Launcher::Current()) launcher->vmSession.vmHookObserver = candidate;
}

void EndService(int result) {
  if (host != nullptr) host->End(result);
}

}  // namespace launcher
