// Stages of the launch that this build does not carry yet. Each fails safely:
// none reports success for work it did not do.
#include "launcher/launcher.h"

namespace launcher {

bool Launcher::StartSplash() { return true; }

void Launcher::CloseSplashWindow() {}

}  // namespace launcher
