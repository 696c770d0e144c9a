// How the values of the settings file map to the launcher's configuration.
// Plain C++: each rule takes the text as read and returns what it means.
#pragma once

#include <optional>

#include <string>
#include <string_view>

#include "config/settings_keys.h"

namespace config {

// Every section and key the launcher reads, for tools that check a settings
// text before it ships; `layered`: read from the embedded settings and the
// "+" section too, not from the settings file alone. Nothing in the launcher
// refers to it.
struct CatalogueKey {
  std::wstring_view section;
  std::wstring_view key;
  bool layered = true;
};
inline constexpr CatalogueKey kCatalogueKeys[] = {
    {keys::kApplication, keys::kApplicationType},      {keys::kApplication, keys::kOmitServiceName},
    {keys::kApplication, keys::kSingleInstance},       {keys::kApplication, keys::kFailureCheck},
    {keys::kApplication, keys::kOverrideWorkingDir},   {keys::kApplication, keys::kPairProduct},
    {keys::kApplication, keys::kPairReturnCode},       {keys::kApplication, keys::kEmbeddedJar},
    {keys::kApplication, keys::kOutputFile},           {keys::kApplication, keys::kErrorFile},
    {keys::kApplication, keys::kCmd},                  {keys::kJavaRuntime, keys::kMainClass},
    {keys::kJavaRuntime, keys::kMainModule},           {keys::kJavaRuntime, keys::kJrePath},
    {keys::kJavaRuntime, keys::kMinimumVersion},       {keys::kJavaRuntime, keys::kMaximumVersion},
    {keys::kJavaRuntime, keys::kPreferredVersions},    {keys::kJavaRuntime, keys::kJvmType},
    {keys::kJavaRuntime, keys::kJvmSource},            {keys::kJavaRuntime, keys::kVmProvider},
    {keys::kJavaRuntime, keys::kSystemPath},           {keys::kJavaRuntime, keys::kLibraryPath},
    {keys::kJavaRuntime, keys::kVirtualMachineParameters}, {keys::kJavaRuntime, keys::kSearchInstalledRuntimes},
    {keys::kJavaRuntime, keys::kStartupCache},         {keys::kJavaRuntime, keys::kUserVmOptions},
    {keys::kJavaRuntime, keys::kDownloadUrl},
    {keys::kClassPathSection, keys::kClassPath},
    {keys::kClassPathSection, keys::kModulePath},      {keys::kProductInformation, keys::kProductName, false},
    {keys::kProductInformation, keys::kProductCode, false},   {keys::kProductInformation, keys::kUpgradeCode, false},
    {keys::kDisplay, keys::kSplashScreen, false},             {keys::kDisplay, keys::kSplashScreenShadow, false},
    {keys::kDisplay, keys::kPreferNativeSplash, false},
};

// For a key of one of the catalogue's sections (or its "+" section) that the
// catalogue does not hold, a typo most likely: the section's key with the
// fewest edits from it (letter case aside). None for a key the catalogue
// holds, and for sections that are not the launcher's.
std::optional<std::wstring_view> NearestCatalogueKey(std::wstring_view section, std::wstring_view key);

// Whether the store reads a key through its layers (embedded settings, the
// file, its "+" section): the catalogue's word for its keys; a key it does not
// hold is layered.
bool IsLayeredKey(std::wstring_view section, std::wstring_view key);

enum class JvmType { Any = 0, Server = 1, FavorServer = 2 };

// "Yes" in any letter case (the on/off flags of the catalogue).
bool IsYes(std::wstring_view value);
// "service" exactly.
bool IsServiceType(std::wstring_view value);
// "yes" exactly, lower case.
bool IsSingleInstanceOn(std::wstring_view value);
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
