// Where today's Java runtimes are: the registry layouts their installers
// write, the JAVA_HOME variable, and the usual install folders. Searched only
// after the classic sources found nothing, with the same rules: version range,
// "JVM Source", the library probe order, the same sort and pick. Plain C++:
// the registry and the file system are reached through the interfaces of
// runtime_rules.h.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/runtime_rules.h"

namespace runtime {

// What a registration says about its kind.
enum class LayoutKind {
  Jdk,
  Jre,
  ByHome,  // a home with "bin\javac.exe" is a JDK, any other a JRE
};

// Texts as plain pointers: the table is half the size with views.
struct RuntimeLayout {
  const wchar_t* key;        // under the registry root, ending in a backslash
  const wchar_t* below;      // path from a subkey to the key holding the value
  const wchar_t* valueName;  // the value naming the runtime home
  LayoutKind kind;
  bool namedByVersion;  // its subkeys are named by version
};

// The registrations of today's runtimes, in search order.
inline constexpr std::array<RuntimeLayout, 13> kRuntimeLayouts{{
    {L"Software\\JavaSoft\\JDK\\", L"", L"JavaHome", LayoutKind::Jdk, true},
    {L"Software\\JavaSoft\\JRE\\", L"", L"JavaHome", LayoutKind::Jre, true},
    {L"Software\\Eclipse Adoptium\\JDK\\", L"\\hotspot\\MSI", L"Path", LayoutKind::Jdk, true},
    {L"Software\\Eclipse Adoptium\\JRE\\", L"\\hotspot\\MSI", L"Path", LayoutKind::Jre, true},
    {L"Software\\AdoptOpenJDK\\JDK\\", L"\\hotspot\\MSI", L"Path", LayoutKind::Jdk, true},
    {L"Software\\AdoptOpenJDK\\JRE\\", L"\\hotspot\\MSI", L"Path", LayoutKind::Jre, true},
    {L"Software\\Eclipse Foundation\\JDK\\", L"\\hotspot\\MSI", L"Path", LayoutKind::Jdk, true},
    {L"Software\\Semeru\\JDK\\", L"\\openj9\\MSI", L"Path", LayoutKind::Jdk, true},
    {L"Software\\Semeru\\JRE\\", L"\\openj9\\MSI", L"Path", LayoutKind::Jre, true},
    {L"Software\\Microsoft\\JDK\\", L"\\hotspot\\MSI", L"Path", LayoutKind::Jdk, true},
    {L"Software\\Azul Systems\\Zulu\\", L"", L"InstallationPath", LayoutKind::ByHome, false},
    {L"Software\\BellSoft\\Liberica\\", L"", L"InstallationPath", LayoutKind::ByHome, false},
    {L"Software\\SapMachine\\JDK\\", L"", L"JavaHome", LayoutKind::Jdk, true},
}};

// The folders under each Program Files folder whose direct subfolders are
// runtime homes.
inline constexpr std::array<const wchar_t*, 8> kInstallFolders{
    L"Java",           L"Eclipse Adoptium", L"Microsoft", L"Zulu", L"BellSoft",
    L"Amazon Corretto", L"Semeru",           L"SapMachine",
};

// A registry subkey name that is a version: digits first, then only digits
// and the separators ".", "_", "-", "+".
bool IsVersionName(std::wstring_view name);

// The version in the text of a runtime's "release" file, from its line
// JAVA_VERSION="17.0.2"; none when there is no such line with a digit.
std::optional<VersionNumber> VersionFromRelease(std::string_view releaseText);
// The version in the "release" file of a home (ending in a backslash).
std::optional<VersionNumber> ReleaseFileVersion(const std::wstring& home, const FileProbe& files);

// A home (ending in a backslash) that passes the rules, as a candidate; none
// (with the reason in the diagnostics log) otherwise. Without a known version
// the home's "release" file gives it.
std::optional<RuntimeCandidate> ProbeInstalledHome(const std::wstring& home, std::optional<VersionNumber> version,
                                                   LayoutKind kind, const RuntimeSettings& settings,
                                                   const FileProbe& files);

// Appends the accepted registrations of one layout, in enumeration order.
void CollectLayoutRuntimes(const RuntimeLayout& layout, const RuntimeSettings& settings, RegistryReader& registry,
                           const FileProbe& files, std::vector<RuntimeCandidate>& candidates);

struct InstalledRuntimeSources {
  const FileProbe& files;
  // Each view of the registry as the machine's and as the user's root.
  RegistryReader& machineNative;
  RegistryReader& userNative;
  RegistryReader& machine32;  // read only when settings.hasPairProduct
  RegistryReader& user32;     // read only when settings.hasPairProduct
  std::wstring javaHome;      // the JAVA_HOME variable, empty when not set
  std::wstring programFiles;  // the 64-bit Program Files folder
  std::wstring programFiles32;  // the 32-bit one; searched only when settings.hasPairProduct
};

// Registrations in the native view (machine, then user), in the 32-bit view,
// JAVA_HOME, the install folders of the 64-bit and then the 32-bit Program
// Files. The first source with a library wins.
RuntimeChoice SearchInstalledRuntimes(const RuntimeSettings& settings, const InstalledRuntimeSources& sources);

}  // namespace runtime
