// The launcher started again: after a staged update that replaced it, and
// when the application ends with its "Restart Code".
#include <windows.h>

#include "common/text.h"
#include "launcher/launcher.h"
#include "report/diagnostics_log.h"
#include "report/error_report.h"
#include "report/message_ids.h"
#include "update/staged_update.h"

namespace launcher {

void Launcher::ApplyUpdate() {
  const bool launcherReplaced =
      update::ApplyStagedUpdate(settings.executablePath, settings.settingsFile, settings.updateFolder);
  // A service is started by its manager alone: the new files serve its next start.
  if (!launcherReplaced || settings.isService) return;
  // The new launcher reads its own settings and becomes the primary instance.
  instanceState.Close();
  updatedLauncher = restart.StartAgain(settings.executablePath, false);
}

bool Launcher::RestartApplication(int code) {
  // The service manager restarts a service; only a run of main asks.
  if (!mainCalled || settings.isService || settings.restartCode != code) return false;
  if (!restart.Allowed()) {
    const std::wstring& exe = settings.executablePath;
    report::ReportError(splashState.splashWindowHandle, IDS_TOO_MANY_RESTARTS, exe.substr(exe.rfind(L'\\') + 1), code);
    return false;
  }
  return static_cast<bool>(restart.StartAgain(settings.executablePath, true));
}

}  // namespace launcher
