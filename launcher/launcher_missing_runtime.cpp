// No source yielded a runtime: the user is asked for one.
#include "launcher/launcher.h"
#include "report/error_report.h"
#include "report/message_ids.h"
#include "report/service_mode.h"
#include "runtime/missing_runtime_dialog.h"

namespace launcher {

bool ChosenRuntime::AskForMissingRuntime(const LaunchSettings& settings) {
  std::wstring message =
      runtime::ComposeMissingRuntimeMessage(settings.search.jvmType, settings.search.minimumVersion,
                                           settings.search.maximumVersion);
  if (!report::WindowsAllowed()) {
    // A console program or a service has no dialog: the address its link
    // would open follows the message, then where the launcher looked and what
    // to set (on standard error, or in the event log).
    report::ShowErrorBox(nullptr, message + L"\r\n" + settings.downloadAddress + L"\r\n" +
                                      report::LoadMessage(IDS_RUNTIME_SEARCH_HINT));
    return false;
  }
  auto chosen = runtime::AskForRuntime(message, settings.downloadAddress, settings.search.jvmType,
                                        !settings.pairProduct.empty());
  if (!chosen) return false;
  jvmLibraryPath = chosen->library;
  CheckPairedRuntime(settings.pairProduct);
  settings.WriteBackJrePath(chosen->folder);
  return true;
}

}  // namespace launcher
