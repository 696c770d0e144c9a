// The "Java Exception" dialog for a throwable that escaped the main method.
#include "jvm/exception_dialog.h"
#include "jvm/java_calls.h"
#include "launcher/launcher.h"
#include "report/console_mode.h"

namespace launcher {

bool ShowJavaExceptionDialog(JNIEnv* env, jthrowable throwable) {
  if (!report::WindowsAllowed()) return false;  // a console program has printed it
  std::wstring trace = jvm::StackTraceText(env, throwable);
  if (trace.empty()) return false;  // nothing to show: the application goes on
  // Anything but Ignore stops, a dialog that could not be created included.
  return jvm::ShowExceptionDialog(GetActiveWindow(), trace) != IDOK;
}

}  // namespace launcher
