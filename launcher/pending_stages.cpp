// Stages of the launch that this build does not carry yet. Each fails safely:
// none reports success for work it did not do.
#include "launcher/launcher.h"

namespace launcher {

bool Launcher::ChooseRuntime() { return false; }

bool Launcher::AskForMissingRuntime() { return false; }

void Launcher::PrepareEnvironment() {}

bool Launcher::StartSplash() { return true; }

void Launcher::CloseSplashWindow() {}

bool Launcher::LoadVmLibrary(const std::wstring&) { return false; }

bool Launcher::BuildVmOptions() { return false; }

DWORD Launcher::StartJavaThread() { return 1; }

}  // namespace launcher
