// The rules of the runtime search: which sources are tried in which order,
// which registry keys are searched, which registrations are accepted, how the
// candidates are ordered and which one is picked. Plain C++: the registry and
// the file system are reached only through the two small interfaces below.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings_catalogue.h"
#include "runtime/pe_image.h"
#include "runtime/version_number.h"

namespace runtime {

using config::JvmType;

// Whether a file (or folder) exists at a full path.
class FileProbe {
 public:
  virtual bool Exists(const std::wstring& path) const = 0;
  // The names of the folders directly inside `folder`, in the file system's
  // order; none when it cannot be listed.
  virtual std::vector<std::wstring> SubfolderNames(const std::wstring& folder) const { return {}; }
  // The first `limit` bytes of a file at most; empty when it cannot be read.
  virtual std::string ReadStart(const std::wstring& path, std::size_t limit) const { return {}; }
  // The machine a library's PE header names; none when it cannot be read.
  virtual std::optional<std::uint16_t> LibraryMachine(const std::wstring& path) const { return std::nullopt; }

 protected:
  // Never deleted through this interface: no virtual destructor to carry.
  ~FileProbe() = default;
};

// Read access to one view of one registry root (HKEY_LOCAL_MACHINE unless
// said otherwise).
class RegistryReader {
 public:
  // Names of the subkeys of `keyPath`, in enumeration order; none when the
  // key cannot be opened or enumeration fails at once.
  virtual std::vector<std::wstring> SubkeyNames(const std::wstring& keyPath) = 0;
  // The data of the value "JavaHome" of `keyPath` as UTF-16 text, not cut at
  // its first NUL; none when the key cannot be opened, the value is missing,
  // its size is zero or it cannot be read.
  virtual std::optional<std::wstring> JavaHomeValue(const std::wstring& keyPath) = 0;
  // A string value (REG_SZ) of `keyPath` up to its first NUL; none when the
  // key or value is missing, of another type, empty or unreasonably long.
  virtual std::optional<std::wstring> StringValue(const std::wstring& keyPath, const std::wstring& valueName) {
    return std::nullopt;
  }

 protected:
  // Never deleted through this interface: no virtual destructor to carry.
  ~RegistryReader() = default;
};

enum class RuntimeKind { Jdk, Jre };
enum class Vendor { Sun, JRockit, Ibm };

struct VendorKey {
  const wchar_t* path;  // under HKEY_LOCAL_MACHINE, ending in a backslash
  RuntimeKind kind;
  Vendor vendor;
};

// The vendor keys in the order in which they are searched.
inline constexpr std::array<VendorKey, 5> kVendorKeys{{
    {L"Software\\JavaSoft\\Java Development Kit\\", RuntimeKind::Jdk, Vendor::Sun},
    {L"Software\\JavaSoft\\Java Runtime Environment\\", RuntimeKind::Jre, Vendor::Sun},
    {L"Software\\JRockit\\Java Runtime Environment\\", RuntimeKind::Jre, Vendor::JRockit},
    {L"Software\\JRockit\\Java Development Kit\\", RuntimeKind::Jdk, Vendor::JRockit},
    {L"Software\\IBM\\Java2 Runtime Environment\\", RuntimeKind::Jre, Vendor::Ibm},
}};
// The key whose runtimes are probed in the Any order when the launcher
// favours server libraries.
inline constexpr std::size_t kSunJreKey = 1;

// Everything of the launcher's settings that steers the search.
struct RuntimeSettings {
  std::wstring jrePath;
  JvmType jvmType = JvmType::Any;
  bool searchJdk = true, searchJre = true, favorMode = true;
  bool allowSun = true, allowJRockit = false, allowIbm = false;
  bool favorSun = true, favorJRockit = false, favorIbm = false;
  VersionNumber minimumVersion = VersionNumber::AnyMinimum();
  VersionNumber maximumVersion = VersionNumber::AnyMaximum();
  std::vector<std::wstring> preferredVersions;
  bool hasPairProduct = false;  // "Pair Product" is set: the 32-bit view is searched too
};

// An IBM provider allowed or favoured: the thread that ran main (and each
// hand-over thread) stays attached for good, as IBM's runtimes expect; the
// application ends the process.
inline bool KeepsJavaThreadAttached(const RuntimeSettings& settings) { return settings.allowIbm || settings.favorIbm; }

// The "JVM Source" and "VM Provider" texts, as the search's flags.
void SetSourceAndProvider(RuntimeSettings& settings, std::wstring_view jvmSource, std::wstring_view vmProvider);

// One vendor key to search, with what its registrations get.
struct KeyPlan {
  std::size_t keyIndex = 0;  // into kVendorKeys
  std::wstring path;
  RuntimeKind kind = RuntimeKind::Jre;
  bool favored = false;
  JvmType probeType = JvmType::Any;
};

// The vendor keys searched under these settings, in search order.
std::vector<KeyPlan> PlanRegistrySearch(const RuntimeSettings& settings);

// Both bounds inclusive.
bool VersionInRange(const VersionNumber& version, const VersionNumber& minimum, const VersionNumber& maximum);

// `path` with a backslash appended unless it ends with one.
std::wstring WithTrailingBackslash(std::wstring_view path);

// The runtime home a "JavaHome" value names: its text up to the first NUL,
// ending in a backslash, and "jre\" for a JDK. None when the text is empty.
std::optional<std::wstring> HomeFromJavaHome(std::wstring_view value, RuntimeKind kind);

// The library paths, relative to a home, probed for a JVM type, in order.
std::span<const std::wstring_view> ProbeOrder(JvmType type);

struct JvmLibrary {
  std::wstring path;      // empty when the home has none
  bool isServer = false;  // the answer is "bin\server\jvm.dll"
};

// "x64", "ARM64", "x86", or "machine " and the number ("machine 452").
std::wstring MachineName(std::uint16_t machine);

// The first library of the probe order that exists under `home` (which ends
// in a backslash) and is not built for a machine this process cannot load
// (IsForeignMachine); such a library is passed over, and the diagnostics log
// says so. The version is not checked.
JvmLibrary FindJvmLibrary(const std::wstring& home, JvmType type, const FileProbe& files,
                          std::uint16_t processMachine = kProcessMachine);

// The home of a runtime kept beside the executable: the first of its folder
// and its "jre64\", "runtime\" and "jre\" subfolders that holds
// "bin\java.dll"; none otherwise.
std::optional<std::wstring> PrivateRuntimeHome(std::wstring_view executablePath, const FileProbe& files);

struct RuntimeCandidate {
  VersionNumber version;
  std::wstring home;  // ends in a backslash
  bool isServer = false;
  bool favored = false;
};

// The registration `name` under the planned key, when its "JavaHome" names a
// home with a library for the key's probe type.
std::optional<RuntimeCandidate> ProbeRegisteredRuntime(const KeyPlan& key, const std::wstring& name,
                                                       const VersionNumber& version, RegistryReader& registry,
                                                       const FileProbe& files);

// Appends the accepted registrations of one key, in enumeration order.
void CollectRegisteredRuntimes(const KeyPlan& key, const RuntimeSettings& settings, RegistryReader& registry,
                               const FileProbe& files, std::vector<RuntimeCandidate>& candidates);

// Favoured first (when favorMode), then server libraries (under FavorServer),
// then the newest; ties keep their collection order.
void SortCandidates(std::vector<RuntimeCandidate>& candidates, bool favorMode, JvmType type);

// Index of the candidate picked from a sorted list: the first one matching
// the earliest preferred version that matches any, else the first. None for
// an empty list.
std::optional<std::size_t> ChooseCandidate(const std::vector<RuntimeCandidate>& candidates,
                                           const std::vector<std::wstring>& preferredVersions);

// The home of the candidate chosen from `candidates` (sorted here by the
// settings, then ChooseCandidate), taken out of the list; none for an empty one.
std::optional<std::wstring> ChooseHome(std::vector<RuntimeCandidate>& candidates, const RuntimeSettings& settings);

// One pass over one registry view: the home of the chosen registration.
std::optional<std::wstring> SearchRegistry(const RuntimeSettings& settings, RegistryReader& registry,
                                           const FileProbe& files);

enum class RuntimeSource {
  None,
  JrePath,
  PrivateRuntime,
  Registry,
  Registry32,
  // Where today's runtimes are (installed_runtimes.h).
  InstalledRegistry,
  InstalledRegistry32,
  JavaHome,
  InstallFolder,
  InstallFolder32,
};

struct RuntimeChoice {
  RuntimeSource source = RuntimeSource::None;
  std::wstring jvmLibraryPath;  // empty when no source yielded a library
};

struct RuntimeSources {
  const FileProbe& files;
  // The running program: its folder may hold a private runtime, looked for
  // only when the "JRE Path" yields nothing (none when empty).
  std::wstring_view executablePath;
  RegistryReader& nativeView;
  RegistryReader& view32;  // read only when settings.hasPairProduct
};

// The whole search: "JRE Path", then the private runtime, then the native
// registry view, then the 32-bit one. The first source with a library wins.
RuntimeChoice SearchRuntime(const RuntimeSettings& settings, const RuntimeSources& sources);

}  // namespace runtime
