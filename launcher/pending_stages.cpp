// Stages of the launch that this build does not carry yet. Each fails safely:
// none reports success for work it did not do.
#include "launcher/launcher.h"

namespace launcher {

bool Launcher::AskForMissingRuntime() { return false; }

}  // namespace launcher
