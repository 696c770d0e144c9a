#include "tools/package/packager.h"

#include <algorithm>

#include "config/settings_cipher.h"
#include "tools/package/pe_image.h"
#include "tools/package/utf.h"

namespace package {
namespace {

constexpr std::uint16_t kMessageTableBlock = 202 / 16 + 1;  // the block holding messages 202 to 207
constexpr std::uint16_t kExceptionDialog = 231;
constexpr std::uint16_t kManifestId = 1;
constexpr std::uint16_t kEmbeddedSettingsId = 1;
constexpr std::uint16_t kVersionId = 1;
constexpr std::uint16_t kEnglishUs = 0x0409;
// The assembly name in the launcher's manifest (resources/launcher.manifest).
constexpr char kLauncherIdentity[] = "name=\"Vorn.Launcher\"";

// Values were checked as UTF-8 when the description was read.
std::u16string Utf16(std::string_view s) {
  std::u16string out;
  Utf8ToUtf16(s, out);
  return out;
}

std::u16string SettingsText(const std::vector<DescriptionSection>& sections) {
  std::string text;
  for (const auto& section : sections) {
    text += "[" + section.name + "]\r\n";
    for (const auto& entry : section.entries) text += entry.key + "=" + entry.value + "\r\n";
  }
  return Utf16(text);
}

std::u16string IniText(const PackageDescription& d) {
  std::vector<DescriptionSection> sections = d.ini;
  if (!d.upgradeCode.empty()) {
    DescriptionEntry code{"Upgrade Code", d.upgradeCode, 0};
    auto product = std::find_if(sections.begin(), sections.end(),
                                [](const DescriptionSection& s) { return s.name == "Product Information"; });
    if (product != sections.end()) {
      product->entries.push_back(code);
    } else {
      sections.insert(sections.begin(), DescriptionSection{"Product Information", 0, {code}});
    }
  }
  return u"\uFEFF" + SettingsText(sections);
}

// The name and language of the launcher's own icon group: the replacement
// takes its place, so the launcher's windows keep finding it.
void IconGroupPlace(const ResourceTree& tree, ResourceId& name, std::uint16_t& language) {
  name = ResourceId::Number(1);
  language = kEnglishUs;
  for (const auto& r : tree.resources) {
    if (r.type == ResourceId::Number(resource_type::kGroupIcon)) {
      name = r.name;
      language = r.language;
      return;
    }
  }
}

void PutVersion(ResourceTree& tree, const VersionDescription& v, std::string_view outputFileName) {
  VersionInfo info{v.fileVersion, v.productVersion, {}};
  bool hasOriginal = false;
  bool hasInternal = false;
  for (const auto& [name, value] : v.strings) {
    hasOriginal = hasOriginal || name == "OriginalFilename";
    hasInternal = hasInternal || name == "InternalName";
    info.strings.emplace_back(Utf16(name), Utf16(value));
  }
  std::string_view stem = outputFileName.substr(0, outputFileName.rfind('.'));
  if (!hasInternal) info.strings.emplace_back(u"InternalName", Utf16(stem));
  if (!hasOriginal) info.strings.emplace_back(u"OriginalFilename", Utf16(outputFileName));
  tree.Remove(resource_type::kVersion);
  tree.resources.push_back(Resource{ResourceId::Number(resource_type::kVersion), ResourceId::Number(kVersionId),
                                    kEnglishUs, 0, BuildVersionInfo(info)});
}

bool PutDpiAwareness(ResourceTree& tree, DpiAwareness awareness, std::string& error) {
  for (auto& r : tree.resources) {
    if (r.type != ResourceId::Number(resource_type::kManifest) || r.name != ResourceId::Number(kManifestId)) continue;
    std::string manifest(r.data.begin(), r.data.end());
    if (!SetDpiAwareness(manifest, awareness)) {
      error = "the launcher's manifest has no \"</assembly>\" end";
      return false;
    }
    r.data.assign(manifest.begin(), manifest.end());
    return true;
  }
  error = "the launcher has no manifest";
  return false;
}

}  // namespace

bool IsLauncher(const ResourceTree& tree) {
  const Resource* manifest = tree.Find(resource_type::kManifest, ResourceId::Number(kManifestId));
  return manifest != nullptr &&
         std::string(manifest->data.begin(), manifest->data.end()).find(kLauncherIdentity) != std::string::npos &&
         tree.Find(resource_type::kString, ResourceId::Number(kMessageTableBlock)) != nullptr &&
         tree.Find(resource_type::kDialog, ResourceId::Number(kExceptionDialog)) != nullptr;
}

void PutEmbeddedSettings(ResourceTree& tree, const std::u16string& settings, const std::u16string& upgradeCode) {
  std::wstring text(settings.begin(), settings.end());
  std::wstring code(upgradeCode.begin(), upgradeCode.end());
  std::vector<std::uint8_t> block = config::EncipherSettings(text, code);
  tree.Remove(resource_type::kRcData, ResourceId::Number(kEmbeddedSettingsId));
  tree.resources.push_back(Resource{ResourceId::Number(resource_type::kRcData),
                                    ResourceId::Number(kEmbeddedSettingsId), 0, 0, Bytes(block.begin(), block.end())});
}

bool BuildPackage(const Bytes& launcher, const PackageDescription& d, const std::vector<IconImage>& icons,
                  std::string_view outputFileName, PackageOutput& output, std::string& error) {
  ResourceTree tree;
  if (!ReadImageResources(launcher, tree, error)) return false;
  if (!IsLauncher(tree)) {
    error = "not the launcher: it lacks the launcher's manifest, message table or dialogs";
    return false;
  }
  if (!icons.empty()) {
    ResourceId group;
    std::uint16_t language = 0;
    IconGroupPlace(tree, group, language);
    PutIcons(tree, icons, group, language);
  }
  if (d.version) PutVersion(tree, *d.version, outputFileName);
  if (d.dpiAwareness && !PutDpiAwareness(tree, *d.dpiAwareness, error)) return false;
  if (!d.embedded.empty()) PutEmbeddedSettings(tree, SettingsText(d.embedded), Utf16(d.upgradeCode));
  if (!ReplaceImageResources(launcher, tree, output.executable, error)) return false;
  const bool console = d.console == ConsoleMode::Yes;
  if (!SetSubsystem(output.executable, console ? kSubsystemConsole : kSubsystemWindows, error)) return false;
  output.companion.reset();
  if (d.console == ConsoleMode::Companion) {
    output.companion = output.executable;
    if (!SetSubsystem(*output.companion, kSubsystemConsole, error)) return false;
  }
  output.ini.reset();
  if (!d.ini.empty() || !d.upgradeCode.empty()) output.ini = IniText(d);
  return true;
}

}  // namespace package
