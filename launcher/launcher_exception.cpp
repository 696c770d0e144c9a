// The "Java Exception" dialog for a throwable that escaped the main method.
#include "jvm/exception_dialog.h"
#include "jvm/java_calls.h"
#include "launcher/launcher.h"
#include "report/service_mode.h"

namespace launcher {

jvm::ExceptionAnswer ShowJavaExceptionDialog(JNIEnv* env, jthrowable throwable) {
  using jvm::ExceptionAnswer;
  // A console program has printed it; a service has its "Error File" or nothing.
  if (!report::WindowsAllowed()) return ExceptionAnswer::kNotAsked;
  std::wstring trace = jvm::StackTraceText(env, throwable);
  if (trace.empty()) return ExceptionAnswer::kNotAsked;  // nothing to show: the application goes on
  // Anything but Ignore stops, a dialog that could not be created included.
  return jvm::ShowExceptionDialog(GetActiveWindow(), trace) == IDOK ? ExceptionAnswer::kGoOn : ExceptionAnswer::kStop;
}

}  // namespace launcher
