// Process entry of the launcher.
//
// The x64 launcher starts itself rather than through the C runtime's start code:
// msvcrt.dll sets up its heap and standard streams when it loads, and what the
// start code adds besides (argument lists and wildcards, floating-point
// signals, thread-local destructors, pseudo-relocations) the launcher does not
// use. It reads its command line itself (launcher/command_line.cpp). The ARM64
// launcher is linked with the C runtime's start code, which calls wWinMain; the
// build names the entry (cmake/launcher_entry.cmake) and drops the other one.
#include <windows.h>

#include <cstdlib>

#include "common/exit_codes.h"
#include "common/text.h"
#include "launcher/launcher.h"
#include "launcher/service_host.h"
#include "report/diagnostics_log.h"

// The constructors of static objects, between a -1 and a null entry.
extern "C" void (*__CTOR_LIST__[])();

namespace {

// As the C runtime would, last first; nothing runs at exit but exit()'s own.
void RunStaticConstructors() {
  std::size_t count = 0;
  while (__CTOR_LIST__[count + 1] != nullptr) ++count;
  for (std::size_t i = count; i > 0; --i) __CTOR_LIST__[i]();
}

int RunLauncher() {
  launcher::Launcher launcher;
  SetThreadLocale(GetSystemDefaultLCID());
  // Gives the main thread its message queue before any window exists.
  DefWindowProcW(nullptr, 0, 0, 0);

  int result = launcher.Initialise() ? launcher.Run() : exitcode::kLaunchFailed;
  launcher.Shutdown();
  if (result != exitcode::kLaunchFailed && launcher.RestartApplication(result)) result = 0;
  launcher::EndService(result);
  if (diag::Enabled()) diag::Log({"exit code ", text::DecimalText(static_cast<std::int64_t>(result))});
  return result;
}

}  // namespace

// The image's entry point (cmake/launcher_entry.cmake). exit() flushes the
// standard streams and runs what was registered to run at exit.
extern "C" [[noreturn]] void LauncherStart() {
  RunStaticConstructors();
  std::exit(RunLauncher());
}

// The entry called by the C runtime's start code, which has run the static
// constructors and calls exit() with the result.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return RunLauncher(); }
