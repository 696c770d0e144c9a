#include "runtime/runtime_rules.h"

#include <utility>

#include "common/path_text.h"
#include "common/text.h"
#include "report/diagnostics_log.h"

namespace runtime {
namespace {

constexpr std::wstring_view kServerLibrary = L"bin\\server\\jvm.dll";

constexpr std::array<std::wstring_view, 5> kAnyOrder{L"bin\\client\\jvm.dll", L"bin\\classic\\jvm.dll",
                                                     L"bin\\hotspot\\jvm.dll", kServerLibrary,
                                                     L"bin\\jrockit\\jvm.dll"};
constexpr std::array<std::wstring_view, 1> kServerOrder{kServerLibrary};
constexpr std::array<std::wstring_view, 6> kFavorServerOrder{kServerLibrary,           L"bin\\client\\jvm.dll",
                                                             L"bin\\classic\\jvm.dll", L"bin\\hotspot\\jvm.dll",
                                                             kServerLibrary,           L"bin\\jrockit\\jvm.dll"};

constexpr std::wstring_view kPrivateRuntimeMarker = L"bin\\java.dll";

// Whether the folder `home` (ending in a backslash, which the probe's
// pattern must not carry) is there.
bool FolderExists(const std::wstring& home, const FileProbe& files) {
  return files.Exists(home.substr(0, home.size() - 1));
}

bool KeySearched(const VendorKey& key, const RuntimeSettings& s) {
  bool kindSearched = s.favorMode || (key.kind == RuntimeKind::Jdk ? s.searchJdk : s.searchJre);
  bool vendorAllowed = false;
  switch (key.vendor) {
    case Vendor::Sun:
      vendorAllowed = s.allowSun || s.favorSun;
      break;
    case Vendor::JRockit:
      vendorAllowed = s.allowJRockit || s.favorJRockit;
      break;
    case Vendor::Ibm:
      vendorAllowed = s.allowIbm || s.favorIbm;
      break;
  }
  return kindSearched && vendorAllowed;
}

bool KeyFavoured(const VendorKey& key, const RuntimeSettings& s) {
  bool kindSearched = key.kind == RuntimeKind::Jdk ? s.searchJdk : s.searchJre;
  bool vendorFavoured = false;
  switch (key.vendor) {
    case Vendor::Sun:
      vendorFavoured = s.favorSun;
      break;
    case Vendor::JRockit:
      vendorFavoured = s.favorJRockit;
      break;
    case Vendor::Ibm:
      vendorFavoured = s.favorIbm;
      break;
  }
  return kindSearched && vendorFavoured;
}

// True when `a` must come before `b`.
bool ComesFirst(const RuntimeCandidate& a, const RuntimeCandidate& b, bool favorMode, JvmType type) {
  if (favorMode && a.favored != b.favored) return a.favored;
  if (type == JvmType::FavorServer && a.isServer != b.isServer) return a.isServer;
  return CompareVersions(a.version, b.version) > 0;
}

}  // namespace

std::vector<KeyPlan> PlanRegistrySearch(const RuntimeSettings& settings) {
  std::vector<KeyPlan> plan;
  for (std::size_t i = 0; i < kVendorKeys.size(); ++i) {
    const VendorKey& key = kVendorKeys[i];
    if (!KeySearched(key, settings)) continue;
    KeyPlan entry;
    entry.keyIndex = i;
    entry.path = std::wstring(key.path);
    entry.kind = key.kind;
    entry.favored = KeyFavoured(key, settings);
    entry.probeType = (i == kSunJreKey && settings.jvmType == JvmType::FavorServer) ? JvmType::Any : settings.jvmType;
    plan.push_back(std::move(entry));
  }
  return plan;
}

bool VersionInRange(const VersionNumber& version, const VersionNumber& minimum, const VersionNumber& maximum) {
  return CompareVersions(version, maximum) <= 0 && CompareVersions(version, minimum) >= 0;
}

std::wstring WithTrailingBackslash(std::wstring_view path) {
  std::wstring out(path);
  if (out.empty() || out.back() != L'\\') out += L'\\';
  return out;
}

std::optional<std::wstring> HomeFromJavaHome(std::wstring_view value, RuntimeKind kind) {
  std::wstring_view text = value.substr(0, value.find(L'\0'));
  // An empty home would send the probe to the root of the current drive.
  if (text.empty()) return std::nullopt;
  std::wstring home = WithTrailingBackslash(text);
  if (kind == RuntimeKind::Jdk) home += L"jre\\";
  return home;
}

std::span<const std::wstring_view> ProbeOrder(JvmType type) {
  switch (type) {
    case JvmType::Server:
      return kServerOrder;
    case JvmType::FavorServer:
      return kFavorServerOrder;
    case JvmType::Any:
      break;
  }
  return kAnyOrder;
}

std::wstring MachineName(std::uint16_t machine) {
  switch (machine) {
    case kMachineAmd64:
      return L"x64";
    case kMachineArm64:
      return L"ARM64";
    case kMachineI386:
      return L"x86";
  }
  return L"machine " + text::DecimalText(static_cast<std::int64_t>(machine));
}


JvmLibrary FindJvmLibrary(const std::wstring& home, JvmType type, const FileProbe& files,
                          std::uint16_t processMachine) {
  JvmLibrary library;
  // A home that is not a full path ("jdk" in JAVA_HOME, a registration's
  // relative JavaHome) would be looked for in the current folder.
  if (!text::IsFullPath(home)) {
    diag::Log({"  passed over ", home, ": not a full path"});
    return library;
  }
  for (std::wstring_view relative : ProbeOrder(type)) {
    std::wstring path = home + std::wstring(relative);
    if (files.Exists(path)) {
      // Loading a library of another machine can only fail (error 193).
      std::optional<std::uint16_t> machine = files.LibraryMachine(path);
      if (machine && IsForeignMachine(*machine, processMachine)) {
        diag::Log({"passed over ", path, ": built for ", MachineName(*machine), ", this launcher runs as ",
                   MachineName(processMachine)});
        continue;
      }
      library.path = std::move(path);
      library.isServer = relative == kServerLibrary;
      break;
    }
  }
  return library;
}

std::optional<std::wstring> PrivateRuntimeHome(std::wstring_view executablePath, const FileProbe& files) {
  std::size_t slash = executablePath.rfind(L'\\');
  if (slash == std::wstring_view::npos) return std::nullopt;
  const std::wstring folder(executablePath.substr(0, slash + 1));
  // runtime\ is where the JDK's image tools put a bundled runtime; jre\ an older habit.
  for (std::wstring_view place : {L"", L"jre64\\", L"runtime\\", L"jre\\"}) {
    std::wstring home = folder + std::wstring(place);
    if (files.Exists(home + std::wstring(kPrivateRuntimeMarker))) return home;
    // A folder that is there but lacks the marker is what a user meant as
    // the runtime more often than not.
    if (diag::Enabled() && FolderExists(home, files)) diag::Log({"  passed over ", home, ": no bin\\java.dll"});
  }
  return std::nullopt;
}

std::optional<RuntimeCandidate> ProbeRegisteredRuntime(const KeyPlan& key, const std::wstring& name,
                                                       const VersionNumber& version, RegistryReader& registry,
                                                       const FileProbe& files) {
  std::optional<std::wstring> value = registry.JavaHomeValue(key.path + name);
  std::optional<std::wstring> home = value ? HomeFromJavaHome(*value, key.kind) : std::nullopt;
  JvmLibrary library;
  if (home) library = FindJvmLibrary(*home, key.probeType, files);
  if (library.path.empty()) {
    diag::Log({"  passed over ", key.path, name, home ? ": no jvm.dll (JVM Type) in " : ": no JavaHome",
               home ? std::wstring_view(*home) : std::wstring_view()});
    return std::nullopt;
  }
  diag::Log({"  candidate ", key.path, name, ": ", library.path});
  return RuntimeCandidate{version, std::move(*home), library.isServer, key.favored};
}

void CollectRegisteredRuntimes(const KeyPlan& key, const RuntimeSettings& settings, RegistryReader& registry,
                               const FileProbe& files, std::vector<RuntimeCandidate>& candidates) {
  for (const std::wstring& name : registry.SubkeyNames(key.path)) {
    VersionNumber version = ParseVersion(name, 0).version;
    if (!VersionInRange(version, settings.minimumVersion, settings.maximumVersion)) {
      diag::Log({"  passed over ", key.path, name, ": version outside the range"});
      continue;
    }
    if (auto candidate = ProbeRegisteredRuntime(key, name, version, registry, files)) {
      candidates.push_back(std::move(*candidate));
    }
  }
}

void SortCandidates(std::vector<RuntimeCandidate>& candidates, bool favorMode, JvmType type) {
  // A stable insertion sort: the lists are a handful of entries, and std::stable_sort's
  // merge machinery costs kilobytes in the launcher.
  for (std::size_t i = 1; i < candidates.size(); ++i) {
    for (std::size_t j = i; j > 0 && ComesFirst(candidates[j], candidates[j - 1], favorMode, type); --j) {
      std::swap(candidates[j], candidates[j - 1]);
    }
  }
}

std::optional<std::size_t> ChooseCandidate(const std::vector<RuntimeCandidate>& candidates,
                                           const std::vector<std::wstring>& preferredVersions) {
  if (candidates.empty()) return std::nullopt;
  for (const std::wstring& entry : preferredVersions) {
    VersionNumber preferred = ParseVersion(entry, 0).version;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
      if (MatchesPreferred(candidates[i].version, preferred)) return i;
    }
  }
  return 0;
}

std::optional<std::wstring> ChooseHome(std::vector<RuntimeCandidate>& candidates, const RuntimeSettings& settings) {
  SortCandidates(candidates, settings.favorMode, settings.jvmType);
  std::optional<std::size_t> chosen = ChooseCandidate(candidates, settings.preferredVersions);
  if (!chosen) return std::nullopt;
  return std::move(candidates[*chosen].home);
}

std::optional<std::wstring> SearchRegistry(const RuntimeSettings& settings, RegistryReader& registry,
                                           const FileProbe& files) {
  std::vector<RuntimeCandidate> candidates;
  for (const KeyPlan& key : PlanRegistrySearch(settings)) {
    diag::Log({"looking in the registry key ", key.path});
    CollectRegisteredRuntimes(key, settings, registry, files, candidates);
  }
  return ChooseHome(candidates, settings);
}

void SetSourceAndProvider(RuntimeSettings& settings, std::wstring_view jvmSource, std::wstring_view vmProvider) {
  const config::JvmSourceFlags source = config::ParseJvmSource(jvmSource);
  settings.searchJdk = source.searchJdk;
  settings.searchJre = source.searchJre;
  settings.favorMode = source.favorMode;
  const config::VmProviderFlags provider = config::ParseVmProvider(vmProvider);
  settings.allowSun = provider.allowSun;
  settings.allowJRockit = provider.allowJRockit;
  settings.allowIbm = provider.allowIbm;
  settings.favorSun = provider.favorSun;
  settings.favorJRockit = provider.favorJRockit;
  settings.favorIbm = provider.favorIbm;
}

RuntimeChoice SearchRuntime(const RuntimeSettings& settings, const RuntimeSources& sources) {
  if (!settings.jrePath.empty()) {
    diag::Log({"looking at \"JRE Path\" ", settings.jrePath});
    const std::wstring home = WithTrailingBackslash(settings.jrePath);
    std::wstring library = FindJvmLibrary(home, settings.jvmType, sources.files).path;
    if (!library.empty()) return {RuntimeSource::JrePath, std::move(library)};
    if (diag::Enabled()) {
      diag::Log({"  passed over: ", FolderExists(home, sources.files) ? "no jvm.dll (JVM Type)" : "no such folder"});
    }
  }

  if (!sources.executablePath.empty()) {
    diag::Log({"looking for a private runtime beside the executable"});
    if (std::optional<std::wstring> home = PrivateRuntimeHome(sources.executablePath, sources.files)) {
      std::wstring library = FindJvmLibrary(*home, settings.jvmType, sources.files).path;
      if (!library.empty()) return {RuntimeSource::PrivateRuntime, std::move(library)};
      diag::Log({"  passed over ", *home, ": no jvm.dll (JVM Type)"});
    }
  }

  if (std::optional<std::wstring> home = SearchRegistry(settings, sources.nativeView, sources.files)) {
    // The registration's own probe may have used another order; the library
    // is looked up afresh with the launcher's type, and a miss ends the search.
    std::wstring library = FindJvmLibrary(*home, settings.jvmType, sources.files).path;
    if (library.empty()) return {};
    return {RuntimeSource::Registry, std::move(library)};
  }

  if (!settings.hasPairProduct) return {};
  diag::Log({"looking in the 32-bit registry view"});
  if (std::optional<std::wstring> home = SearchRegistry(settings, sources.view32, sources.files)) {
    std::wstring library = FindJvmLibrary(*home, settings.jvmType, sources.files).path;
    if (!library.empty()) return {RuntimeSource::Registry32, std::move(library)};
  }
  return {};
}

}  // namespace runtime
