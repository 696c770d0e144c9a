// How the values of the settings file map to the launcher's configuration.
// Plain C++: each rule takes the text as read and returns what it means.
#pragma once

#include <string>
#include <string_view>

namespace config {

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
