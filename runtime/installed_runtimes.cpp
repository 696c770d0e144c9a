#include "runtime/installed_runtimes.h"

#include "report/diagnostics_log.h"

namespace runtime {
namespace {

// A release file is a few hundred bytes; more is not read.
constexpr std::size_t kReleaseLimit = 16384;
constexpr std::string_view kJavaVersionKey = "JAVA_VERSION=";

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

RuntimeChoice ChooseFrom(std::vector<RuntimeCandidate>& candidates, const RuntimeSettings& settings,
                         const FileProbe& files, RuntimeSource source) {
  const std::optional<std::wstring> home = ChooseHome(candidates, settings);
  if (!home) return {};
  std::wstring library = FindJvmLibrary(*home, settings.jvmType, files).path;
  if (library.empty()) return {};
  return {source, std::move(library)};
}

RuntimeChoice SearchRegistryView(const RuntimeSettings& settings, const InstalledRuntimeSources& sources,
                                 RegistryReader& machine, RegistryReader& user, RuntimeSource source) {
  std::vector<RuntimeCandidate> candidates;
  for (RegistryReader* root : {&machine, &user}) {
    diag::Log({"looking in ", root == &machine ? "HKLM" : "HKCU",
               source == RuntimeSource::InstalledRegistry ? "" : " (32-bit view)"});
    for (const RuntimeLayout& layout : kRuntimeLayouts) {
      CollectLayoutRuntimes(layout, settings, *root, sources.files, candidates);
    }
  }
  return ChooseFrom(candidates, settings, sources.files, source);
}

RuntimeChoice SearchInstallFolders(const RuntimeSettings& settings, const FileProbe& files, const std::wstring& root,
                                   RuntimeSource source) {
  if (root.empty()) return {};
  std::vector<RuntimeCandidate> candidates;
  for (const wchar_t* folder : kInstallFolders) {
    std::wstring parent = WithTrailingBackslash(root);
    parent.append(folder) += L'\\';
    diag::Log({"looking in the folder ", parent});
    for (const std::wstring& name : files.SubfolderNames(parent)) {
      auto candidate = ProbeInstalledHome(parent + name + L"\\", std::nullopt, LayoutKind::ByHome, settings, files);
      if (candidate) candidates.push_back(std::move(*candidate));
    }
  }
  return ChooseFrom(candidates, settings, files, source);
}

}  // namespace

bool IsVersionName(std::wstring_view name) {
  if (name.empty() || !IsDigit(name.front())) return false;
  for (wchar_t c : name) {
    if (!IsDigit(c) && c != L'.' && c != L'_' && c != L'-' && c != L'+') return false;
  }
  return true;
}

std::optional<VersionNumber> VersionFromRelease(std::string_view releaseText) {
  std::size_t at = 0;
  for (;; ++at) {
    at = releaseText.find(kJavaVersionKey, at);
    if (at == std::string_view::npos) return std::nullopt;
    if (at == 0 || releaseText[at - 1] == '\n') break;  // at the start of a line
  }
  std::string_view value = releaseText.substr(at + kJavaVersionKey.size());
  value = value.substr(0, value.find('\n'));
  // The file is ASCII; any other byte only separates digit groups.
  ParsedVersion parsed = ParseVersion(std::wstring(value.begin(), value.end()), 0);
  if (!parsed.ok) return std::nullopt;
  return parsed.version;
}

std::optional<VersionNumber> ReleaseFileVersion(const std::wstring& home, const FileProbe& files) {
  return VersionFromRelease(files.ReadStart(home + L"release", kReleaseLimit));
}

std::optional<RuntimeCandidate> ProbeInstalledHome(const std::wstring& home, std::optional<VersionNumber> version,
                                                   LayoutKind kind, const RuntimeSettings& settings,
                                                   const FileProbe& files) {
  if (!version) version = ReleaseFileVersion(home, files);
  const bool jdk = kind == LayoutKind::Jdk || (kind == LayoutKind::ByHome && files.Exists(home + L"bin\\javac.exe"));
  const bool kindSearched = jdk ? settings.searchJdk : settings.searchJre;
  JvmLibrary library;
  // Log-only words: narrow ASCII, as the log takes them.
  const char* refusal = nullptr;
  if (!version) {
    refusal = "no version";
  } else if (!VersionInRange(*version, settings.minimumVersion, settings.maximumVersion)) {
    refusal = "version outside the range";
  } else if (!settings.favorMode && !kindSearched) {
    refusal = jdk ? "a JDK (JVM Source)" : "a JRE (JVM Source)";
  } else {
    library = FindJvmLibrary(home, settings.jvmType, files);
    if (library.path.empty()) refusal = "no jvm.dll (JVM Type)";
  }
  if (refusal != nullptr) {
    diag::Log({"  passed over ", home, ": ", refusal});
    return std::nullopt;
  }
  if (diag::Enabled()) diag::Log({"  candidate ", library.path, ", version ", FormatVersion(*version)});
  return RuntimeCandidate{*version, home, library.isServer, kindSearched};
}

void CollectLayoutRuntimes(const RuntimeLayout& layout, const RuntimeSettings& settings, RegistryReader& registry,
                           const FileProbe& files, std::vector<RuntimeCandidate>& candidates) {
  const std::wstring key(layout.key);
  diag::Log({" key ", key});
  for (const std::wstring& name : registry.SubkeyNames(key)) {
    const std::wstring valueKey = key + name + layout.below;
    std::optional<std::wstring> value = registry.StringValue(valueKey, layout.valueName);
    if (!value || value->empty()) {
      diag::Log({"  passed over ", valueKey, ": no string ", layout.valueName});
      continue;
    }
    std::optional<VersionNumber> version;
    if (layout.namedByVersion && IsVersionName(name)) {
      ParsedVersion parsed = ParseVersion(name, 0);
      if (parsed.ok) version = parsed.version;
    }
    if (auto candidate = ProbeInstalledHome(WithTrailingBackslash(*value), version, layout.kind, settings, files)) {
      candidates.push_back(std::move(*candidate));
    }
  }
}

RuntimeChoice SearchInstalledRuntimes(const RuntimeSettings& settings, const InstalledRuntimeSources& sources) {
  RuntimeChoice choice = SearchRegistryView(settings, sources, sources.machineNative, sources.userNative,
                                            RuntimeSource::InstalledRegistry);
  if (choice.source == RuntimeSource::None && settings.hasPairProduct) {
    choice = SearchRegistryView(settings, sources, sources.machine32, sources.user32,
                                RuntimeSource::InstalledRegistry32);
  }
  if (choice.source == RuntimeSource::None && !sources.javaHome.empty()) {
    diag::Log({"looking at JAVA_HOME ", sources.javaHome});
    if (auto candidate = ProbeInstalledHome(WithTrailingBackslash(sources.javaHome), std::nullopt,
                                            LayoutKind::ByHome, settings, sources.files)) {
      choice = {RuntimeSource::JavaHome, FindJvmLibrary(candidate->home, settings.jvmType, sources.files).path};
    }
  }
  if (choice.source == RuntimeSource::None) {
    choice = SearchInstallFolders(settings, sources.files, sources.programFiles, RuntimeSource::InstallFolder);
  }
  // The 32-bit Program Files folder holds runtimes only a paired product can run.
  if (choice.source == RuntimeSource::None && settings.hasPairProduct &&
      sources.programFiles32 != sources.programFiles) {
    choice = SearchInstallFolders(settings, sources.files, sources.programFiles32, RuntimeSource::InstallFolder32);
  }
  return choice;
}

}  // namespace runtime
