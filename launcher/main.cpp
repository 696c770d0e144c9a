// Process entry of the launcher.
#include <windows.h>

#include "common/text.h"
#include "launcher/launcher.h"
#include "report/diagnostics_log.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  launcher::Launcher launcher;
  SetThreadLocale(GetSystemDefaultLCID());
  // Gives the main thread its message queue before any window exists.
  DefWindowProcW(nullptr, 0, 0, 0);

  int result = launcher.Initialise() ? launcher.Run() : -1;
  launcher.Shutdown();
  if (diag::Enabled()) diag::Log({L"exit code ", text::DecimalText(static_cast<std::int64_t>(result))});
  return result;
}
