// No source yielded a runtime: the user is asked for one.
#include "launcher/launcher.h"
#include "runtime/missing_runtime_dialog.h"

namespace launcher {

bool Launcher::AskForMissingRuntime() {
  std::wstring message = runtime::ComposeMissingRuntimeMessage(jvmType, minimumVersion, maximumVersion);
  auto chosen = runtime::AskForRuntime(message, jvmType, !pairProduct.empty());
  if (!chosen) return false;
  jvmLibraryPath = chosen->library;
  CheckPairedRuntime();
  WriteBackJrePath(chosen->folder);
  return true;
}

}  // namespace launcher
