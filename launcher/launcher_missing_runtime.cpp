// No source yielded a runtime: the user is asked for one.
#include "launcher/launcher.h"
#include "runtime/missing_runtime_dialog.h"

namespace launcher {

bool ChosenRuntime::AskForMissingRuntime(const LaunchSettings& settings) {
  std::wstring message =
      runtime::ComposeMissingRuntimeMessage(settings.jvmType, settings.minimumVersion, settings.maximumVersion);
  auto chosen = runtime::AskForRuntime(message, settings.jvmType, !settings.pairProduct.empty());
  if (!chosen) return false;
  jvmLibraryPath = chosen->library;
  CheckPairedRuntime(settings.pairProduct);
  settings.WriteBackJrePath(chosen->folder);
  return true;
}

}  // namespace launcher
