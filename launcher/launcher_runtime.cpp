// The runtime stage: which jvm.dll this launch loads, and whether it is a
// 32-bit one that the paired product must run instead.
#include "launcher/launcher.h"
#include "common/text_win.h"
#include "report/diagnostics_log.h"
#include "runtime/installed_runtimes.h"
#include "runtime/pe_image.h"
#include "runtime/runtime_rules.h"
#include "runtime/runtime_search.h"

namespace launcher {

bool ChosenRuntime::ChooseRuntime(const LaunchSettings& settings) {
  const runtime::RuntimeSettings& search = settings.search;
  runtime::DiskFileProbe files;
  runtime::RegistryViewReader nativeView(runtime::RegistryView::Native);
  runtime::RegistryViewReader view32(runtime::RegistryView::Bits32);
  runtime::RuntimeSources sources{files, settings.executablePath, nativeView, view32};

  runtime::RuntimeChoice choice = runtime::SearchRuntime(search, sources);
  if (choice.source == runtime::RuntimeSource::None && settings.searchInstalledRuntimes) {
    runtime::RegistryViewReader userNative(runtime::RegistryView::Native, HKEY_CURRENT_USER);
    runtime::RegistryViewReader user32(runtime::RegistryView::Bits32, HKEY_CURRENT_USER);
    runtime::InstalledRuntimeSources installed{files,
                                               nativeView,
                                               userNative,
                                               view32,
                                               user32,
                                               text::GetEnvironment(L"JAVA_HOME"),
                                               text::GetEnvironment(L"ProgramFiles"),
                                               text::GetEnvironment(L"ProgramFiles(x86)")};
    choice = runtime::SearchInstalledRuntimes(search, installed);
  }
  jvmLibraryPath = std::move(choice.jvmLibraryPath);
  switch (choice.source) {
    case runtime::RuntimeSource::None:
      diag::Log({"no runtime found"});
      return false;
    case runtime::RuntimeSource::JrePath:
    case runtime::RuntimeSource::JavaHome:
    case runtime::RuntimeSource::InstallFolder:
    case runtime::RuntimeSource::InstallFolder32:
      CheckPairedRuntime(settings.pairProduct);
      break;
    case runtime::RuntimeSource::Registry32:
    case runtime::RuntimeSource::InstalledRegistry32:
      runByPairedProduct = true;
      break;
    case runtime::RuntimeSource::PrivateRuntime:
    case runtime::RuntimeSource::Registry:
    case runtime::RuntimeSource::InstalledRegistry:
      break;
  }
  diag::Log({"chosen runtime library: ", jvmLibraryPath,
             runByPairedProduct ? " (32-bit: the paired product runs it)" : ""});
  return true;
}

void ChosenRuntime::CheckPairedRuntime(const std::wstring& pairProduct) {
  runByPairedProduct = false;
  if (!pairProduct.empty()) runByPairedProduct = runtime::IsX86Image(jvmLibraryPath);
}

}  // namespace launcher
