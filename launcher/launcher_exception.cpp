// The "Java Exception" dialog for a throwable that escaped the main method.
#include "jvm/exception_dialog.h"
#include "jvm/java_calls.h"
#include "launcher/launcher.h"
#include "report/console_mode.h"

namespace launcher {

jvm::ExceptionAnswer ShowJavaExceptionDialog(JNIEnv* env, jthrowable throwable) {
  using jvm::ExceptionAnswer;
  if (report::IsConsoleProgram()) return ExceptionAnswer::kNotAsked;  // a console program has printed it
  std::wstring trace = jvm::StackTraceText(env, throwable);
  if (trace.empty()) return ExceptionAnswer::kNotAsked;  // nothing to show: the application goes on
  // Anything but Ignore stops, a dialog that could not be created included.
  return jvm::ShowExceptionDialog(GetActiveWindow(), trace) == IDOK ? ExceptionAnswer::kGoOn : ExceptionAnswer::kStop;
}

}  // namespace launcher
