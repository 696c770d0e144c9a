// The settings stage: every configuration field from the settings files.
#include <windows.h>

#include "common/found_files_win.h"
#include "common/path_text.h"
#include "common/splitting.h"
#include "common/text.h"
#include "common/text_win.h"
#include "common/win_handles.h"
#include "config/settings_catalogue.h"
#include "config/settings_keys.h"
#include "config/profile_text.h"
#include "config/settings_paths.h"
#include "config/settings_store.h"
#include "instance/restart_rules.h"
#include "jvm/user_vm_options_win.h"
#include "launcher/launcher.h"
#include "launcher/service_host.h"
#include "launcher/service_rules.h"
#include "report/diagnostics_log.h"
#include "report/error_report.h"
#include "report/message_ids.h"
#include "resources/resource_ids.h"
#include "update/update_rules.h"

namespace launcher {

namespace keys = config::keys;
using namespace std::string_view_literals;

namespace {

std::uint32_t ServiceStopTimeout(const config::SettingsStore& store) {
  const std::wstring value = store.Lookup(keys::kApplication, keys::kServiceStopTimeout);
  return service::StopTimeoutSeconds(value).value_or(service::kDefaultStopTimeoutSeconds);
}

}  // namespace

bool LaunchSettings::ReadSettings() {
  // The executable's path is read once: the settings file and the per-user
  // file are both formed from it. No splash is up yet: boxes have no owner.
  auto exe = config::GetExecutablePath(nullptr);
  if (!exe) return false;
  executablePath = std::move(*exe);
  auto settingsPath = config::SettingsPathFor(executablePath);
  if (!settingsPath) return false;
  settingsFile = std::move(*settingsPath);
  const std::wstring& file = settingsFile;
  diag::Log({"settings file ", file});

  // The file is read once here; every key of this stage comes from that text.
  config::SettingsStore store;
  store.Open(file);
  // A key the launcher does not know is most often a typo of one it does.
  if (diag::Enabled()) {
    config::VisitProfileKeys(store.fileText(), [](std::wstring_view section, std::wstring_view key) {
      if (const auto nearest = config::NearestCatalogueKey(section, key)) {
        diag::Log({"setting [", section, "] ", key, " is not one the launcher reads; the nearest is \"", *nearest,
                   "\""});
      }
    });
  }
  productCode = store.Lookup(keys::kProductInformation, keys::kProductCode);
  upgradeCode = store.Lookup(keys::kProductInformation, keys::kUpgradeCode);
  productName = store.Lookup(keys::kProductInformation, keys::kProductName);
  store.SetEmbeddedText(config::EmbeddedSettingsText(upgradeCode));

  search.minimumVersion = runtime::MinimumVersionSetting(store.Lookup(keys::kJavaRuntime, keys::kMinimumVersion));
  search.maximumVersion = runtime::MaximumVersionSetting(store.Lookup(keys::kJavaRuntime, keys::kMaximumVersion));

  isService = config::IsServiceType(store.Lookup(keys::kApplication, keys::kApplicationType));
  // Before anything can go wrong: a service reports to the manager at once,
  // and no message of its may become a box.
  if (isService) ConnectServiceWhenStartedSo(ServiceStopTimeout(store), executablePath);

  text::SplitBySeparator(search.preferredVersions, store.Lookup(keys::kJavaRuntime, keys::kPreferredVersions), L";");

  std::wstring& jrePath = search.jrePath;
  jrePath.clear();
  bool fromPerUserFile = false;
  // A service keeps "JRE Path" in the .ini files alone.
  if (!isService) {
    std::wstring perUser = config::GetPerUserSettingsPath(executablePath, productName, productCode, false);
    if (win::PathFound(text::LongPathForm(perUser).c_str())) {
      // Any process of the user can write that file: an elevated start would
      // load the runtime it names with the elevation.
      if (jvm::ProcessIsElevated()) {
        diag::Log({"per-user file ", perUser, " ignored: an elevated start takes \"JRE Path\" from the .ini"});
      } else {
        jrePath = config::ReadFileValue(perUser, keys::kJavaRuntime, keys::kJrePath);
        diag::Log({"setting \"JRE Path\" = \"", jrePath, "\" from the per-user file ", perUser});
        fromPerUserFile = true;
      }
    }
  }
  if (!fromPerUserFile) jrePath = store.Lookup(keys::kJavaRuntime, keys::kJrePath);
  // A relative "JRE Path" ("jre") is the folder beside the executable, never
  // one of the current folder's.
  std::wstring resolved = config::ResolveFromExecutableFolder(jrePath, executablePath);
  if (resolved != jrePath) diag::Log({"\"JRE Path\" ", jrePath, " is taken from the executable's folder: ", resolved});
  jrePath = std::move(resolved);

  search.jvmType = config::ParseJvmType(store.Lookup(keys::kJavaRuntime, keys::kJvmType));
  runtime::SetSourceAndProvider(search, store.Lookup(keys::kJavaRuntime, keys::kJvmSource),
                                store.Lookup(keys::kJavaRuntime, keys::kVmProvider));
  // Blanks do not count: a value from the "+" section arrives after a space.
  searchInstalledRuntimes =
      !text::EqualsIgnoreCase(text::Trim(store.Lookup(keys::kJavaRuntime, keys::kSearchInstalledRuntimes)),
                              L"No"sv);

  const std::wstring moduleValue = store.Lookup(keys::kJavaRuntime, keys::kMainModule);
  // The VM gets the name in the ANSI code page: one it cannot carry would
  // reach it with "?" in its place.
  if (!moduleValue.empty() && (!config::IsMainModuleValue(moduleValue) || !text::ConvertsToThreadAnsi(moduleValue))) {
    report::ReportError(nullptr, IDS_BAD_MAIN_MODULE, moduleValue);
    return false;
  }
  auto entry = config::ParseMainEntry(store.Lookup(keys::kJavaRuntime, keys::kMainClass), moduleValue);
  if (entry.mainClass.empty() && entry.mainModule.empty()) {
    report::ShowMessage(nullptr, IDS_NO_MAIN_CLASS);
    return false;
  }
  mainClass = std::move(entry.mainClass);
  mainModule = std::move(entry.mainModule);

  failureCheck = config::IsYes(store.Lookup(keys::kApplication, keys::kFailureCheck));
  overrideWorkingDir = config::IsYes(store.Lookup(keys::kApplication, keys::kOverrideWorkingDir));
  systemPathSetting = store.Lookup(keys::kJavaRuntime, keys::kSystemPath);
  libraryPathSetting = store.Lookup(keys::kJavaRuntime, keys::kLibraryPath);
  pairProduct = config::ResolveFromExecutableFolder(store.Lookup(keys::kApplication, keys::kPairProduct), executablePath);
  search.hasPairProduct = !pairProduct.empty();
  returnPairExitCode = config::IsYes(store.Lookup(keys::kApplication, keys::kPairReturnCode));
  const std::wstring address = store.Lookup(keys::kJavaRuntime, keys::kDownloadUrl);
  auto download = config::DownloadAddress(address);
  if (!download && !address.empty()) {
    diag::Log({"\"Download URL\" ", address, " ignored: not an http or https address"});
  }
  downloadAddress = download ? std::move(*download) : std::wstring(L"" DOWNLOAD_ADDRESS);

  const std::wstring restartValue = store.Lookup(keys::kApplication, keys::kRestartCode);
  restartCode = instance::ParseRestartCode(restartValue);
  if (!restartCode && !restartValue.empty()) diag::Log({"\"Restart Code\" ", restartValue, " ignored: not a number"});
  const std::wstring updateValue = text::Trim(store.Lookup(keys::kApplication, keys::kUpdateFolder));
  auto update = update::RelativePathBelow(updateValue);
  if (!update && !updateValue.empty()) {
    diag::Log({"\"Update Folder\" ", updateValue, " ignored: not a folder below the executable's"});
  }
  if (update) updateFolder = std::move(*update);
  return true;
}

void LaunchSettings::WriteBackJrePath(const std::wstring& folder) const {
  auto pairedFile = config::GetPairedSettingsPath(pairProduct);
  if (!pairedFile) return;  // the chosen runtime serves for this run only
  // A service keeps "JRE Path" in the .ini files alone.
  if (!isService) {
    auto writePerUser = [&](const std::wstring& program) {
      std::wstring file = config::GetPerUserSettingsPath(program, productName, productCode, true);
      if (!file.empty()) config::WriteFileValue(file, keys::kJavaRuntime, keys::kJrePath, folder);
    };
    if (!executablePath.empty()) writePerUser(executablePath);
    writePerUser(pairProduct);
    return;
  }
  config::WriteFileValue(*pairedFile, keys::kJavaRuntime, keys::kJrePath, folder);
}

}  // namespace launcher
