// Single-instance mode and the paired product.
#include "config/settings_catalogue.h"
#include "config/settings_keys.h"
#include "config/settings_paths.h"
#include "config/settings_store.h"
#include "launcher/launcher.h"

namespace launcher {

namespace keys = config::keys;

bool Launcher::SetUpSingleInstance() {
  auto file = config::GetSettingsFilePath(splashWindowHandle);
  if (!file) return false;
  config::SettingsStore store;
  store.Open(*file, config::EmbeddedSettingsText(upgradeCode));
  if (config::IsServiceType(store.Lookup(keys::kApplication, keys::kApplicationType))) return true;
  if (!config::IsSingleInstanceOn(store.Lookup(keys::kApplication, keys::kSingleInstance))) return true;
  // The hand-over between instances is not available in this build: refuse to
  // start rather than run a second copy the application asked never to run.
  return false;
}

int Launcher::WaitForPrimary() { return -1; }

int Launcher::StartPairedProduct() { return -1; }

}  // namespace launcher
