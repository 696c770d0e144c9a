// The launcher started again when the application ends with its "Restart Code".
#include <windows.h>

#include "common/text.h"
#include "launcher/launcher.h"
#include "report/diagnostics_log.h"
#include "report/error_report.h"
#include "report/message_ids.h"

namespace launcher {

bool Launcher::RestartApplication(int code) {
  // The service manager restarts a service; only a run of main asks.
  if (!mainCalled || settings.isService || settings.restartCode != code) return false;
  if (!restart.Allowed()) {
    const std::wstring& exe = settings.executablePath;
    report::ReportError(splashState.splashWindowHandle, IDS_TOO_MANY_RESTARTS, exe.substr(exe.rfind(L'\\') + 1), code);
    return false;
  }
  return restart.StartAgain(settings.executablePath);
}

}  // namespace launcher
