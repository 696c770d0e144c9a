// Stages of the launch that this build does not carry yet. Each fails safely:
// none reports success for work it did not do.
#include "jvm/java_calls.h"
#include "launcher/launcher.h"

namespace launcher {

bool Launcher::AskForMissingRuntime() { return false; }

bool Launcher::StartSplash() { return true; }

void Launcher::CloseSplashWindow() {}

// Until the "Java Exception" dialog exists, an exception with a stack trace
// to show stops the application as the dialog's Stop would; only an empty
// trace (nothing to show) lets it go on. Never a silent Ignore.
bool Launcher::ShowJavaExceptionDialog(JNIEnv* env, jthrowable throwable) {
  return !jvm::StackTraceText(env, throwable).empty();
}

}  // namespace launcher
