// The runtime stage: which jvm.dll this launch loads, and whether it is a
// 32-bit one that the paired product must run instead.
#include "launcher/launcher.h"
#include "runtime/pe_image.h"
#include "runtime/runtime_rules.h"
#include "runtime/runtime_search.h"

namespace launcher {

bool Launcher::ChooseRuntime() {
  runtime::RuntimeSettings settings;
  settings.jrePath = jrePath;
  settings.jvmType = jvmType;
  settings.searchJdk = searchJdk;
  settings.searchJre = searchJre;
  settings.favorMode = favorMode;
  settings.allowSun = allowSun;
  settings.allowJRockit = allowJRockit;
  settings.allowIbm = allowIbm;
  settings.favorSun = favorSun;
  settings.favorJRockit = favorJRockit;
  settings.favorIbm = favorIbm;
  settings.minimumVersion = minimumVersion;
  settings.maximumVersion = maximumVersion;
  settings.preferredVersions = preferredVersions;
  settings.hasPairProduct = !pairProduct.empty();

  runtime::DiskFileProbe files;
  runtime::RegistryViewReader nativeView(runtime::RegistryView::Native);
  runtime::RegistryViewReader view32(runtime::RegistryView::Bits32);
  runtime::RuntimeSources sources{files, [&] { return runtime::FindPrivateRuntime(splashWindowHandle, files); },
                                  nativeView, view32};

  runtime::RuntimeChoice choice = runtime::SearchRuntime(settings, sources);
  jvmLibraryPath = std::move(choice.jvmLibraryPath);
  switch (choice.source) {
    case runtime::RuntimeSource::None:
      return false;
    case runtime::RuntimeSource::JrePath:
      CheckPairedRuntime();
      break;
    case runtime::RuntimeSource::Registry32:
      runtimeIs32Bit = true;
      break;
    case runtime::RuntimeSource::PrivateRuntime:
    case runtime::RuntimeSource::Registry:
      break;
  }
  return true;
}

void Launcher::CheckPairedRuntime() {
  runtimeIs32Bit = false;
  if (!pairProduct.empty()) runtimeIs32Bit = runtime::IsX86Image(jvmLibraryPath);
}

}  // namespace launcher
