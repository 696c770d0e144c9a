#include "tools/package/package_description.h"

#include <algorithm>
#include <map>

#include "tools/package/description_keys.h"
#include "tools/package/utf.h"

namespace package {
namespace {

constexpr std::size_t kLongestVersionText = 1024;
constexpr std::size_t kLongestShortcutName = 128;

struct Fault {
  int line = 0;
  std::string message;
};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

// The text after "prefix:" in a section name such as "Embedded: Application".
std::optional<std::string> AfterPrefix(std::string_view name, std::string_view prefix) {
  if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix || name[prefix.size()] != ':') {
    return std::nullopt;
  }
  return std::string(Trim(name.substr(prefix.size() + 1)));
}

// Lines of the text: split at "\n" with a "\r" before it dropped.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::optional<Fault> ReadSections(std::string_view text, std::vector<DescriptionSection>& sections) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  int number = 0;
  for (std::string_view raw : Lines(text)) {
    ++number;
    std::u16string unused;
    if (!Utf8ToUtf16(raw, unused)) return Fault{number, "the line is not UTF-8 text"};
    for (char c : raw) {
      if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return Fault{number, "the line holds a control character"};
    }
    std::string_view line = Trim(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      if (line.back() != ']') return Fault{number, "a section header must end with \"]\""};
      std::string_view name = Trim(line.substr(1, line.size() - 2));
      if (name.empty()) return Fault{number, "a section header needs a name"};
      sections.push_back(DescriptionSection{std::string(name), number, {}});
      continue;
    }
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return Fault{number, "expected \"key = value\" or \"[section]\""};
    std::string_view key = Trim(line.substr(0, equals));
    if (key.empty()) return Fault{number, "a key is missing before \"=\""};
    if (sections.empty()) return Fault{number, "\"" + std::string(key) + "\" stands before any section"};
    sections.back().entries.push_back(DescriptionEntry{std::string(key), std::string(Trim(line.substr(equals + 1))), number});
  }
  return std::nullopt;
}

// The entries of a section whose keys are all known, each at most once.
std::optional<Fault> KnownKeys(const DescriptionSection& section, std::map<std::string, const DescriptionEntry*>& found) {
  const std::vector<std::string_view> known = KeysOf(section.name);
  for (const auto& entry : section.entries) {
    bool isKnown = false;
    for (auto k : known) isKnown = isKnown || entry.key == k;
    if (!isKnown) return Fault{entry.line, UnknownMessage("key", entry.key, "[" + section.name + "]", known)};
    if (found.count(entry.key) != 0) {
      return Fault{entry.line, "\"" + entry.key + "\" is set twice in [" + section.name + "] (first on line " +
                                   std::to_string(found[entry.key]->line) + ")"};
    }
    found[entry.key] = &entry;
  }
  return std::nullopt;
}

std::optional<Fault> ReadPackage(const DescriptionSection& section, PackageDescription& d) {
  std::map<std::string, const DescriptionEntry*> found;
  if (auto fault = KnownKeys(section, found)) return fault;
  if (auto icon = found["Icon"]) {
    if (icon->value.empty()) return Fault{icon->line, "\"Icon\" needs the path of an .ico file"};
    d.icon = icon->value;
    d.iconLine = icon->line;
  }
  if (auto dpi = found["DPI Awareness"]) {
    if (EqualsIgnoreCase(dpi->value, "none")) {
      d.dpiAwareness = DpiAwareness::None;
    } else if (EqualsIgnoreCase(dpi->value, "system")) {
      d.dpiAwareness = DpiAwareness::System;
    } else if (EqualsIgnoreCase(dpi->value, "per-monitor")) {
      d.dpiAwareness = DpiAwareness::PerMonitor;
    } else if (!EqualsIgnoreCase(dpi->value, "unchanged")) {
      return Fault{dpi->line, "\"DPI Awareness\" must be unchanged, none, system or per-monitor, not \"" +
                                  dpi->value + "\""};
    }
  }
  if (auto code = found["Upgrade Code"]) d.upgradeCode = code->value;
  if (auto runtime = found["Runtime"]) {
    if (!IsBelowDescription(runtime->value)) {
      return Fault{runtime->line, "\"Runtime\" needs a folder below the description's folder, not \"" +
                                      runtime->value + "\""};
    }
    d.runtime = runtime->value;
    d.runtimeLine = runtime->line;
  }
  if (auto console = found["Console"]) {
    if (EqualsIgnoreCase(console->value, "yes")) {
      d.console = ConsoleMode::Yes;
    } else if (EqualsIgnoreCase(console->value, "companion")) {
      d.console = ConsoleMode::Companion;
    } else if (!EqualsIgnoreCase(console->value, "no")) {
      return Fault{console->line, "\"Console\" must be no, yes or companion, not \"" + console->value + "\""};
    }
  }
  return std::nullopt;
}

std::optional<Fault> ReadVersion(const DescriptionSection& section, PackageDescription& d) {
  // Description keys and the resource's string names, in the order written.
  static const std::pair<std::string_view, std::string_view> kStrings[] = {
      {"Company Name", "CompanyName"},     {"File Description", "FileDescription"},
      {"File Version", "FileVersion"},     {"Internal Name", "InternalName"},
      {"Copyright", "LegalCopyright"},     {"Original File Name", "OriginalFilename"},
      {"Product Name", "ProductName"},     {"Product Version", "ProductVersion"},
  };
  std::map<std::string, const DescriptionEntry*> found;
  if (auto fault = KnownKeys(section, found)) return fault;
  if (found["File Version"] == nullptr) return Fault{section.line, "[Version] needs \"File Version\""};
  if (found["Product Version"] == nullptr) found["Product Version"] = found["File Version"];

  VersionDescription v;
  for (const char* key : {"File Version", "Product Version"}) {
    const DescriptionEntry* entry = found[key];
    auto parsed = ParseFourPartVersion(entry->value);
    if (!parsed) {
      return Fault{entry->line, "\"" + std::string(key) + "\" must be four numbers of 0 to 65535 such as 1.2.0.0, not \"" +
                                    entry->value + "\""};
    }
    (std::string(key) == "File Version" ? v.fileVersion : v.productVersion) = *parsed;
  }
  for (const auto& [key, name] : kStrings) {
    const DescriptionEntry* entry = found[std::string(key)];
    if (entry == nullptr) continue;
    if (entry->value.size() > kLongestVersionText) {
      return Fault{entry->line, "\"" + std::string(key) + "\" is longer than 1024 bytes"};
    }
    v.strings.emplace_back(std::string(name), entry->value);
  }
  d.version = std::move(v);
  return std::nullopt;
}

std::optional<Fault> ReadInstallerSection(const DescriptionSection& section, PackageDescription& d) {
  if (d.installer) {
    return Fault{section.line, "[Installer] appears twice (first on line " + std::to_string(d.installer->line) + ")"};
  }
  std::map<std::string, const DescriptionEntry*> found;
  if (auto fault = KnownKeys(section, found)) return fault;
  d.installer.emplace();
  d.installer->line = section.line;
  if (auto error = ReadInstaller(found, *d.installer)) return Fault{error->line, error->message};
  return std::nullopt;
}

bool IsWebAddress(std::string_view text) {
  bool scheme = text.starts_with("http://") || text.starts_with("https://");
  return scheme && text.size() > text.find("//") + 2 && text.find_first_of(" \t\"") == std::string_view::npos;
}

std::optional<Fault> ReadSigning(const DescriptionSection& section, PackageDescription& d) {
  if (d.signing) {
    return Fault{section.line, "[Signing] appears twice (first on line " + std::to_string(d.signing->line) + ")"};
  }
  std::map<std::string, const DescriptionEntry*> found;
  if (auto fault = KnownKeys(section, found)) return fault;
  SigningDescription s;
  s.line = section.line;
  const DescriptionEntry* certificate = found["Certificate"];
  if (certificate == nullptr || certificate->value.empty()) {
    return Fault{certificate ? certificate->line : section.line, "[Signing] needs a \"Certificate\": the path of a "
                                                                 ".pfx or .p12 file"};
  }
  s.certificate = certificate->value;
  s.certificateLine = certificate->line;
  if (auto variable = found["Password Variable"]) {
    const std::string& name = variable->value;
    bool ok = !name.empty() && !(name[0] >= '0' && name[0] <= '9') &&
              std::all_of(name.begin(), name.end(), [](char c) {
                return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
              });
    if (!ok) {
      return Fault{variable->line, "\"Password Variable\" must be the name of an environment variable (letters, "
                                   "digits and _, not starting with a digit), not \"" + name + "\": the password "
                                   "itself never goes into the description"};
    }
    s.passwordVariable = name;
    s.passwordLine = variable->line;
  }
  for (const char* key : {"Timestamp URL", "URL"}) {
    const DescriptionEntry* entry = found[key];
    if (entry == nullptr) continue;
    if (!IsWebAddress(entry->value)) {
      return Fault{entry->line, "\"" + entry->key + "\" must be an http:// or https:// address, not \"" +
                                    entry->value + "\""};
    }
    (entry->key == "URL" ? s.url : s.timestampUrl) = entry->value;
  }
  if (auto text = found["Description"]) {
    if (text->value.empty() || text->value.size() > kLongestVersionText) {
      return Fault{text->line, "\"Description\" needs text of at most 1024 bytes"};
    }
    s.description = text->value;
  }
  d.signing = std::move(s);
  return std::nullopt;
}

std::optional<Fault> ReadServiceSection(const DescriptionSection& section, PackageDescription& d) {
  if (d.service) {
    return Fault{section.line, "[Service] appears twice (first on line " + std::to_string(d.service->line) + ")"};
  }
  std::map<std::string, const DescriptionEntry*> found;
  if (auto fault = KnownKeys(section, found)) return fault;
  d.service.emplace();
  d.service->line = section.line;
  if (auto error = ReadService(found, *d.service)) return Fault{error->line, error->message};
  return std::nullopt;
}

// A service's type in the embedded settings, refusing a description that sets
// another one; a service needs a machine install.
std::optional<Fault> ApplyService(PackageDescription& d) {
  if (!d.service) return std::nullopt;
  if (d.installer && d.installer->perUser) {
    return Fault{d.installer->line, "[Service] needs a machine install: an installer with \"Scope = user\" cannot "
                                    "install a service"};
  }
  if (d.installer) {
    for (const auto* text : {&d.service->name, &d.service->displayName, &d.service->description}) {
      if (auto unfit = UnfitInstallerText(*text); !unfit.empty()) {
        return Fault{d.service->line, "[Service] \"" + *text + "\" " + unfit};
      }
    }
  }
  for (auto* sections : {&d.embedded, &d.ini}) {
    for (const auto& s : *sections) {
      for (const auto& e : s.entries) {
        if (EqualsIgnoreCase(s.name, "Application") && EqualsIgnoreCase(e.key, "Application Type") &&
            e.value != "service") {
          return Fault{e.line, "[Service] makes the executable a service, but \"Application Type\" here is \"" +
                                   e.value + "\""};
        }
      }
    }
  }
  auto application = std::find_if(d.embedded.begin(), d.embedded.end(),
                                  [](const DescriptionSection& s) { return s.name == "Application"; });
  if (application == d.embedded.end()) {
    d.embedded.push_back(DescriptionSection{"Application", d.service->line, {}});
    application = std::prev(d.embedded.end());
  }
  auto set = [&](const std::string& key, const std::string& value) {
    for (auto& e : application->entries) {
      if (e.key == key) return;  // the description's own (a service's type, or its timeout)
    }
    application->entries.push_back(DescriptionEntry{key, value, d.service->line});
  };
  set("Application Type", "service");
  if (d.service->stopTimeout) set("Service Stop Timeout", std::to_string(*d.service->stopTimeout));
  return std::nullopt;
}

const DescriptionEntry* EntryOf(const std::vector<DescriptionSection>& sections, std::string_view section,
                                std::string_view key) {
  for (const auto& s : sections) {
    for (const auto& e : s.entries) {
      if (s.name == section && e.key == key) return &e;
    }
  }
  return nullptr;
}

// What an installer needs from the other sections.
std::optional<Fault> CheckInstaller(const std::vector<DescriptionSection>& sections, const PackageDescription& d) {
  if (!d.installer) return std::nullopt;
  int line = d.installer->line;
  for (const auto& s : sections) {
    for (const auto& e : s.entries) {
      if (s.name == "Package" && e.key == "Upgrade Code") line = e.line;
    }
  }
  if (!IsBracedGuid(d.upgradeCode)) {
    return Fault{line, "[Installer] needs an \"Upgrade Code\" in [Package] that is a GUID such as "
                       "{0C6D6B2E-1D7A-4F4B-9E0A-7C1E2B3A4D5F}, not \"" + d.upgradeCode + "\""};
  }
  // Windows Installer versions hold at most 255.255.65535 in their first three numbers.
  if (!d.version || d.version->productVersion[0] > 255 || d.version->productVersion[1] > 255) {
    return Fault{d.installer->line, "[Installer] needs a [Version] whose \"Product Version\" starts with two "
                                    "numbers of 0 to 255"};
  }
  // ... and compares only those three: two builds that differ in the fourth
  // alone would be installed side by side instead of one replacing the other.
  if (d.version->productVersion[3] != 0) {
    const DescriptionEntry* version = EntryOf(sections, "Version", "Product Version");
    if (version == nullptr) version = EntryOf(sections, "Version", "File Version");
    return Fault{version->line, "[Installer] needs a \"Product Version\" whose fourth number is 0, not \"" +
                                    version->value + "\": Windows Installer compares only the first three, so a "
                                    "newer build that differs in the fourth alone would not replace an older one"};
  }
  // The product's name and company go into the package's tables; the name
  // also names the shortcuts, whose column holds 128 characters.
  for (const char* key : {"Product Name", "Company Name"}) {
    const DescriptionEntry* entry = EntryOf(sections, "Version", key);
    if (entry == nullptr) continue;
    if (auto unfit = UnfitInstallerText(entry->value); !unfit.empty()) {
      return Fault{entry->line, "\"" + entry->key + "\" " + unfit};
    }
    if (entry->value.size() > kLongestShortcutName) {
      return Fault{entry->line, "\"" + entry->key + "\" is longer than the 128 characters the installer's shortcut "
                                "and product names may hold"};
    }
  }
  return std::nullopt;
}

// The section's name and keys are ones the launcher reads: anything else
// would be carried along and never used. The .ini's "<section>+" extends a
// section's values.
std::optional<Fault> CheckSettingsNames(const DescriptionSection& section, const std::string& name, bool ignoreCase) {
  auto same = [ignoreCase](std::string_view a, std::string_view b) { return ignoreCase ? EqualsIgnoreCase(a, b) : a == b; };
  std::string base = name;
  bool extension = ignoreCase && base.size() > 1 && base.back() == '+';
  if (extension) base.pop_back();
  // The embedded settings and "+" sections serve the layered sections only.
  std::vector<std::string> sections = SettingsSections(!ignoreCase || extension);
  std::vector<std::string_view> names(sections.begin(), sections.end());
  auto known = std::find_if(names.begin(), names.end(), [&](std::string_view n) { return same(n, base); });
  std::vector<std::string> all = SettingsSections();
  bool fileOnly = std::any_of(all.begin(), all.end(), [&](std::string_view n) { return same(n, base); });
  if (known == names.end() && fileOnly) {
    return Fault{section.line, "the launcher reads [" + base + "] from the .ini only: write it as [Ini: " + base + "]"};
  }
  if (known == names.end()) {
    std::string message = "unknown settings section \"" + name + "\"";
    std::string_view nearest = Nearest(base, names);
    if (!nearest.empty()) message += " (nearest: \"" + std::string(nearest) + "\")";
    message += "; the launcher reads ";
    for (std::size_t i = 0; i < names.size(); ++i) message += (i == 0 ? "" : ", ") + std::string(names[i]);
    return Fault{section.line, message};
  }
  std::vector<std::string> keys = SettingsKeysOf(*known);
  std::vector<std::string_view> accepted(keys.begin(), keys.end());
  for (const auto& entry : section.entries) {
    if (std::none_of(accepted.begin(), accepted.end(), [&](std::string_view k) { return same(k, entry.key); })) {
      return Fault{entry.line, UnknownMessage("key", entry.key, "[" + section.name + "]", accepted)};
    }
  }
  return std::nullopt;
}

// A settings section of the description: its keys once each, and its name
// not given before. The launcher reads only the first of either, so a second
// would be lost without a word. The .ini's names are read ignoring case, the
// embedded settings' exactly.
// `names` holds the lines of the names seen so far, folded as `to` reads them.
std::optional<Fault> AddSettingsSection(const DescriptionSection& section, const std::string& name, bool ignoreCase,
                                        std::map<std::string, int>& names, std::vector<DescriptionSection>& to) {
  auto folded = [ignoreCase](std::string s) {
    for (char& c : s) c = ignoreCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    return s;
  };
  auto [earlier, added] = names.emplace((ignoreCase ? "ini:" : "embedded:") + folded(name), section.line);
  if (!added) {
    return Fault{section.line, "[" + section.name + "] appears twice (first on line " +
                                   std::to_string(earlier->second) + ")"};
  }
  if (auto fault = CheckSettingsNames(section, name, ignoreCase)) return fault;
  std::map<std::string, int> keys;
  for (const auto& entry : section.entries) {
    auto [first, added] = keys.emplace(folded(entry.key), entry.line);
    if (!added) {
      return Fault{entry.line, "\"" + entry.key + "\" is set twice in [" + section.name + "] (first on line " +
                                   std::to_string(first->second) + ")"};
    }
  }
  to.push_back(DescriptionSection{name, section.line, section.entries});
  return std::nullopt;
}

std::optional<Fault> Interpret(const std::vector<DescriptionSection>& sections, PackageDescription& d) {
  std::map<std::string, int> seen;
  std::map<std::string, int> settingsNames;
  for (const auto& section : sections) {
    bool once = section.name == "Package" || section.name == "Version";
    if (once && seen.count(section.name) != 0) {
      return Fault{section.line, "[" + section.name + "] appears twice (first on line " +
                                     std::to_string(seen[section.name]) + ")"};
    }
    seen[section.name] = section.line;
    std::optional<Fault> fault;
    if (section.name == "Package") {
      fault = ReadPackage(section, d);
    } else if (section.name == "Version") {
      fault = ReadVersion(section, d);
    } else if (section.name == kInstallerSection) {
      fault = ReadInstallerSection(section, d);
    } else if (section.name == "Signing") {
      fault = ReadSigning(section, d);
    } else if (section.name == kServiceSection) {
      fault = ReadServiceSection(section, d);
    } else if (auto embedded = AfterPrefix(section.name, "Embedded")) {
      if (embedded->empty()) return Fault{section.line, "[Embedded: ...] needs the name of a settings section"};
      fault = AddSettingsSection(section, *embedded, false, settingsNames, d.embedded);
    } else if (auto ini = AfterPrefix(section.name, "Ini")) {
      if (ini->empty()) return Fault{section.line, "[Ini: ...] needs the name of a settings section"};
      for (const auto& entry : section.entries) {
        if (*ini == "Product Information" && entry.key == "Upgrade Code") {
          return Fault{entry.line, "set \"Upgrade Code\" in [Package]: it keys the embedded settings and is "
                                   "written into the .ini from there"};
        }
      }
      fault = AddSettingsSection(section, *ini, true, settingsNames, d.ini);
    } else {
      return Fault{section.line, "unknown section [" + section.name +
                                     "]: expected [Package], [Version], [Installer], [Signing], [Service], [Embedded: ...] or [Ini: ...]"};
    }
    if (fault) return fault;
  }
  if (auto fault = CheckInstaller(sections, d)) return fault;
  if (auto fault = ApplyService(d)) return fault;
  if (!d.upgradeCode.empty() && d.embedded.empty()) {
    int line = 0;
    for (const auto& s : sections) {
      for (const auto& e : s.entries) {
        if (s.name == "Package" && e.key == "Upgrade Code") line = e.line;
      }
    }
    return Fault{line, "\"Upgrade Code\" keys embedded settings, but there is no [Embedded: ...] section"};
  }
  return std::nullopt;
}

}  // namespace

DescriptionResult ParsePackageDescription(std::string_view text) {
  std::vector<DescriptionSection> sections;
  PackageDescription d;
  std::optional<Fault> fault = ReadSections(text, sections);
  if (!fault) fault = Interpret(sections, d);
  if (fault) return DescriptionResult{std::nullopt, DescriptionError{fault->line, fault->message}};
  return DescriptionResult{std::move(d), {}};
}

}  // namespace package
