#include "launcher/launcher.h"

#include "common/exit_codes.h"
#include "common/text.h"
#include "launcher/command_line.h"
#include "splash/splash_window.h"
#include "report/console_mode.h"
#include "report/diagnostics_log.h"

namespace launcher {
namespace {
Launcher* current = nullptr;
}

Launcher::Launcher() { current = this; }

Launcher::~Launcher() {
  if (current == this) current = nullptr;
}

Launcher* Launcher::Current() { return current; }

void Launcher::SplitCommandLine() {
  arguments = ArgumentsFromCommandLine(GetCommandLineW(), report::IsConsoleProgram());
}

bool Launcher::Initialise() {
  diag::Log({"command line: ", GetCommandLineW()});  // after the log's own first line
  restart.TakeOver();
  SplitCommandLine();
  if (!settings.ReadSettings()) return false;
  if (settings.restartCode || !settings.updateFolder.empty()) restart.Keep();
  if (!instanceState.SetUpSingleInstance(settings.executablePath, settings.settingsFile, settings.upgradeCode,
                                         settings.isService, arguments,
                                         {settings.mainClass, runtime::KeepsJavaThreadAttached(settings.search)})) {
    return false;
  }
  if (instanceState.singleInstance && !instanceState.isPrimaryInstance) return true;  // a secondary hands over in Run
  if (!settings.updateFolder.empty()) {
    ApplyUpdate();
    if (updatedLauncher) return true;
  }
  if (settings.overrideWorkingDir) OverrideWorkingDirectory(settings.executablePath);
  if (chosenRuntime.ChooseRuntime(settings)) return true;
  return chosenRuntime.AskForMissingRuntime(settings);
}

void Launcher::OverrideWorkingDirectory(const std::wstring& executablePath) {
  size_t slash = executablePath.rfind(L'\\');
  if (slash == std::wstring::npos || slash == 0) return;
  std::wstring folder = executablePath.substr(0, slash);
  // "C:" alone names the current folder of drive C, not its root.
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  SetCurrentDirectoryW(folder.c_str());
}

int Launcher::Run() {
  if (updatedLauncher) {
    DWORD code = exitcode::kLaunchFailedCode;
    WaitForSingleObject(updatedLauncher.get(), INFINITE);
    GetExitCodeProcess(updatedLauncher.get(), &code);
    return static_cast<int>(code);
  }
  if (chosenRuntime.runByPairedProduct) {
    return instance::StartPairedProduct(settings.pairProduct, settings.returnPairExitCode);
  }
  if (instanceState.singleInstance && !instanceState.isPrimaryInstance) return instanceState.WaitForPrimary();
  if (!vmSession.PrepareEnvironment(settings, chosenRuntime.jvmLibraryPath)) return exitcode::kLaunchFailed;
  if (!HasNoSplashSwitch(arguments)) {
    if (!splashState.StartSplash(settings.settingsFile, chosenRuntime.jvmLibraryPath)) return 0;
  }
  if (!vmSession.LoadVmLibrary(chosenRuntime.jvmLibraryPath, splashState.splashWindowHandle)) return exitcode::kLaunchFailed;
  if (!vmSession.BuildVmOptions(settings, chosenRuntime.jvmLibraryPath, splashState.splashWindowHandle, arguments)) {
    return exitcode::kLaunchFailed;
  }
  const DWORD code = StartJavaThread();
  if (code != exitcode::kLaunchFailedCode) return static_cast<int>(code);
  splashState.CloseRuntimeSplash();
  return exitcode::kLaunchFailed;
}

void Launcher::Shutdown() {
  splashState.CloseSplashWindow();
  if (vmSession.javaVm != nullptr) vmSession.javaVm->DestroyJavaVM();
  jvm::FinishStartupCache(vmSession.startupCache);
  instanceState.Close();
  splashState.CloseRuntimeSplash();
}

}  // namespace launcher
