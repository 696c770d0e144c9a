// How the values of the settings file map to the launcher's configuration.
// Plain C++: each rule takes the text as read and returns what it means.
#pragma once

#include <optional>

#include <string>
#include <string_view>

#include "config/settings_keys.h"

namespace config {

// Every section and key the launcher reads; `layered`: read from the embedded
// settings and the "+" section too, not from the settings file alone. The
// settings store reads each key as its entry says, and the packaging tool
// checks a settings text against it before it ships. The names are the
// literals of settings_keys.h (a table of pointers is half the size of one of
// views). `list`: a ";"-separated list, which a "+" section extends with ";".
struct CatalogueKey {
  const wchar_t* section;
  const wchar_t* key;
  bool layered = true;
  bool list = false;
};
constexpr CatalogueKey Key(const wchar_t* section, const wchar_t* key, bool layered = true) {
  return {section, key, layered};
}
constexpr CatalogueKey ListKey(const wchar_t* section, const wchar_t* key) { return {section, key, true, true}; }
inline constexpr CatalogueKey kCatalogueKeys[] = {
    Key(keys::kApplication, keys::kApplicationType),      Key(keys::kApplication, keys::kOmitServiceName),
    Key(keys::kApplication, keys::kSingleInstance),       Key(keys::kApplication, keys::kFailureCheck),
    Key(keys::kApplication, keys::kOverrideWorkingDir),   Key(keys::kApplication, keys::kPairProduct),
    Key(keys::kApplication, keys::kPairReturnCode),       Key(keys::kApplication, keys::kEmbeddedJar),
    Key(keys::kApplication, keys::kOutputFile),           Key(keys::kApplication, keys::kErrorFile),
    Key(keys::kApplication, keys::kCmd),                  Key(keys::kApplication, keys::kServiceStopTimeout),
    Key(keys::kApplication, keys::kRestartCode),          Key(keys::kApplication, keys::kUpdateFolder),
    Key(keys::kJavaRuntime, keys::kMainClass),
    Key(keys::kJavaRuntime, keys::kMainModule),           Key(keys::kJavaRuntime, keys::kJrePath),
    Key(keys::kJavaRuntime, keys::kMinimumVersion),       Key(keys::kJavaRuntime, keys::kMaximumVersion),
    ListKey(keys::kJavaRuntime, keys::kPreferredVersions),    Key(keys::kJavaRuntime, keys::kJvmType),
    Key(keys::kJavaRuntime, keys::kJvmSource),            Key(keys::kJavaRuntime, keys::kVmProvider),
    ListKey(keys::kJavaRuntime, keys::kSystemPath),           ListKey(keys::kJavaRuntime, keys::kLibraryPath),
    Key(keys::kJavaRuntime, keys::kVirtualMachineParameters), Key(keys::kJavaRuntime, keys::kSearchInstalledRuntimes),
    Key(keys::kJavaRuntime, keys::kStartupCache),         Key(keys::kJavaRuntime, keys::kUserVmOptions),
    Key(keys::kJavaRuntime, keys::kDownloadUrl),
    ListKey(keys::kClassPathSection, keys::kClassPath),
    ListKey(keys::kClassPathSection, keys::kModulePath),      Key(keys::kProductInformation, keys::kProductName, false),
    Key(keys::kProductInformation, keys::kProductCode, false),   Key(keys::kProductInformation, keys::kUpgradeCode, false),
    Key(keys::kDisplay, keys::kSplashScreen, false),             Key(keys::kDisplay, keys::kSplashScreenShadow, false),
    Key(keys::kDisplay, keys::kPreferNativeSplash, false),
};

// For a key of one of the catalogue's sections (or its "+" section) that the
// catalogue does not hold, a typo most likely: the section's key with the
// fewest edits from it (letter case aside). None for a key the catalogue
// holds, and for sections that are not the launcher's.
std::optional<std::wstring_view> NearestCatalogueKey(std::wstring_view section, std::wstring_view key);

// The catalogue's entry of a key, which says how the store reads it; none for
// a key the catalogue does not hold (read through the layers, not a list).
const CatalogueKey* FindCatalogueKey(std::wstring_view section, std::wstring_view key);

enum class JvmType { Any = 0, Server = 1, FavorServer = 2 };

// "Yes" in any letter case (the on/off flags of the catalogue).
bool IsYes(std::wstring_view value);
// "service" exactly.
bool IsServiceType(std::wstring_view value);
// "yes" exactly, lower case.
bool IsSingleInstanceOn(std::wstring_view value);
// A "Download URL" the missing-runtime dialog may open: an http or https
// address without blanks or control characters; none otherwise.
std::optional<std::wstring> DownloadAddress(std::wstring_view value);
// "server" exactly -> Server, "favor_server" exactly -> FavorServer, else Any.
JvmType ParseJvmType(std::wstring_view value);

struct JvmSourceFlags {
  bool searchJdk = false;
  bool searchJre = false;
  bool favorMode = true;
};
// "favor_JRE", "favor_JDK", "only_JRE", "only_JDK" exactly; empty searches both
// and keeps favorMode; any other text clears all three.
JvmSourceFlags ParseJvmSource(std::wstring_view value);

struct VmProviderFlags {
  bool allowJRockit = false, favorJRockit = false;
  bool allowSun = true, favorSun = true;
  bool allowIbm = false, favorIbm = false;
};
// One of six names in any letter case; anything else keeps the defaults.
VmProviderFlags ParseVmProvider(std::wstring_view value);

// What the application runs, from "Main Class" and "Main Module" ("module" or
// "module/class"). The class of "module/class" wins
// over "Main Class" ("module/" names none); `mainClass` has "/" for every "." (as FindClass takes it).
// An empty `mainClass` with a module runs the module's own main class; both
// empty: nothing to run.
struct MainEntry {
  std::wstring mainClass;
  std::wstring mainModule;
};
MainEntry ParseMainEntry(std::wstring_view mainClassValue, std::wstring_view mainModuleValue);
// Whether a "Main Module" value is a module name (Java identifiers joined by
// dots), optionally followed by "/" and a class name of the same form (or
// nothing). Checked before the VM exists, which would end the process.
bool IsMainModuleValue(std::wstring_view value);

}  // namespace config
