#include "launcher/launcher.h"

#include "common/text.h"
#include "config/settings_paths.h"
#include "launcher/command_line.h"
#include "launcher/hand_over.h"
#include "splash/splash_window.h"
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

void Launcher::SplitCommandLine() { arguments = ArgumentsFromCommandLine(GetCommandLineW()); }

bool Launcher::Initialise() {
  diag::Log({L"--- launcher started: ", GetCommandLineW()});
  SplitCommandLine();
  if (!ReadSettings()) return false;
  if (!SetUpSingleInstance()) return false;
  if (singleInstance && !isPrimaryInstance) return true;  // a secondary hands over in Run
  if (overrideWorkingDir) OverrideWorkingDirectory();
  if (ChooseRuntime()) return true;
  return AskForMissingRuntime();
}

void Launcher::OverrideWorkingDirectory() {
  auto exe = config::GetExecutablePath(splashWindowHandle);
  if (!exe) return;
  size_t slash = exe->rfind(L'\\');
  if (slash == std::wstring::npos || slash == 0) return;
  std::wstring folder = exe->substr(0, slash);
  // "C:" alone names the current folder of drive C, not its root.
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  SetCurrentDirectoryW(folder.c_str());
}

int Launcher::Run() {
  if (runtimeIs32Bit) return StartPairedProduct();
  if (singleInstance && !isPrimaryInstance) return WaitForPrimary();
  if (!PrepareEnvironment()) return -1;
  if (!HasSwitch(arguments)) {
    if (!StartSplash()) return 0;
  }
  if (!LoadVmLibrary(jvmLibraryPath)) return -1;
  if (!BuildVmOptions()) return -1;
  if (StartJavaThread() == 0) return 0;
  if (runtimeSplashClose != nullptr) {
    runtimeSplashClose();
    runtimeSplashClose = nullptr;
  }
  return -1;
}

void Launcher::Shutdown() {
  CloseSplashWindow();
  if (javaVm != nullptr) javaVm->DestroyJavaVM();
  if (singleInstance) {
    if (isPrimaryInstance && listenerThread) {
      StopHandOvers(listenerThread.get(), mainStartedEvent.get());
      listenerThread.reset();
    }
    instanceBlock.reset();
    instanceMapping.reset();
    handOverCopiedEvent.reset();
  }
  mainStartedEvent.reset();
  if (runtimeSplashClose != nullptr) {
    runtimeSplashClose();
    runtimeSplashClose = nullptr;
  }
  arguments.clear();
  vmOptions.clear();
  preferredVersions.clear();
}

}  // namespace launcher
