#include "config/settings_catalogue.h"

#include <cstdint>

#include "common/text.h"

namespace config {

// Literals as views: their length is known when the launcher is built.
using namespace std::string_view_literals;

namespace {

wchar_t Lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c; }

// Insertions, deletions and replacements from `a` to `b`, letter case aside;
// a key longer than any the catalogue holds counts as far from all of them.
std::size_t EditDistance(std::wstring_view a, std::wstring_view b) {
  constexpr std::size_t kLongest = 64;
  if (a.size() >= kLongest || b.size() >= kLongest) return SIZE_MAX - 1;
  std::size_t row[kLongest];
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      std::size_t best = diagonal + (Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1);
      if (row[j] + 1 < best) best = row[j] + 1;
      if (row[j - 1] + 1 < best) best = row[j - 1] + 1;
      row[j] = best;
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::optional<std::wstring_view> NearestCatalogueKey(std::wstring_view section, std::wstring_view key) {
  if (section.ends_with(L'+')) section.remove_suffix(1);
  std::optional<std::wstring_view> nearest;
  std::size_t best = SIZE_MAX;
  for (const CatalogueKey& known : kCatalogueKeys) {
    if (!text::EqualsIgnoreCase(known.section, section)) continue;
    const std::size_t distance = EditDistance(key, known.key);
    if (distance == 0) return std::nullopt;
    if (distance < best) best = distance, nearest = known.key;
  }
  return nearest;
}

const CatalogueKey* FindCatalogueKey(std::wstring_view section, std::wstring_view key) {
  for (const CatalogueKey& known : kCatalogueKeys) {
    if (std::wstring_view(known.section) == section && std::wstring_view(known.key) == key) return &known;
  }
  return nullptr;
}

bool IsYes(std::wstring_view value) { return text::EqualsIgnoreCase(value, L"Yes"sv); }

bool IsServiceType(std::wstring_view value) { return value == L"service"sv; }

std::optional<std::wstring> DownloadAddress(std::wstring_view value) {
  std::wstring address = text::Trim(value);
  const std::wstring_view scheme = std::wstring_view(address).substr(0, address.find(L"://"));
  // The shell opens what the link holds: nothing but a web address, in one piece.
  if (scheme.size() + 3 >= address.size() || address.size() > 2048 ||
      !(text::EqualsIgnoreCase(scheme, L"http"sv) || text::EqualsIgnoreCase(scheme, L"https"sv))) {
    return std::nullopt;
  }
  for (wchar_t c : address) {
    if (c <= L' ' || c == 0x7F) return std::nullopt;
  }
  return address;
}

bool IsSingleInstanceOn(std::wstring_view value) { return value == L"yes"sv; }

JvmType ParseJvmType(std::wstring_view value) {
  if (value == L"server"sv) return JvmType::Server;
  if (value == L"favor_server"sv) return JvmType::FavorServer;
  return JvmType::Any;
}

JvmSourceFlags ParseJvmSource(std::wstring_view value) {
  // searchJdk, searchJre, favorMode: each value once.
  if (value.empty()) return {true, true, true};
  if (value == L"favor_JDK"sv) return {true, false, true};
  if (value == L"only_JDK"sv) return {true, false, false};
  if (value == L"favor_JRE"sv) return {false, true, true};
  if (value == L"only_JRE"sv) return {false, true, false};
  return {false, false, false};
}

VmProviderFlags ParseVmProvider(std::wstring_view value) {
  struct Row {
    const wchar_t* name;
    VmProviderFlags flags;
  };
  // allowJRockit, favorJRockit, allowSun, favorSun, allowIbm, favorIbm
  static const Row rows[] = {
      {L"jrockit", {true, true, false, false, false, false}},
      {L"ibm", {false, false, false, false, true, true}},
      {L"favor_sun", {true, false, true, true, true, false}},
      {L"favor_jrockit", {true, true, true, false, true, false}},
      {L"favor_ibm", {true, false, true, false, true, true}},
      {L"any", {true, false, true, false, true, false}},
  };
  for (const auto& row : rows) {
    if (text::EqualsIgnoreCase(value, row.name)) return row.flags;
  }
  return VmProviderFlags{};
}

namespace {

// Java identifiers joined by single dots; any character beyond ASCII counts
// as a letter (the VM has the last word on those).
bool IsDottedName(std::wstring_view name) {
  bool partStart = true;
  for (const wchar_t c : name) {
    const bool letter = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_' || c == L'$' || c >= 0x80;
    const bool digit = c >= L'0' && c <= L'9';
    if (c == L'.' && !partStart) {
      partStart = true;
    } else if (letter || (digit && !partStart)) {
      partStart = false;
    } else {
      return false;
    }
  }
  return !partStart;
}

}  // namespace

bool IsMainModuleValue(std::wstring_view value) {
  const std::size_t slash = value.find(L'/');
  if (slash == std::wstring_view::npos) return IsDottedName(value);
  const std::wstring_view className = value.substr(slash + 1);
  return IsDottedName(value.substr(0, slash)) && (className.empty() || IsDottedName(className));
}

MainEntry ParseMainEntry(std::wstring_view mainClassValue, std::wstring_view mainModuleValue) {
  std::wstring_view mainClass = mainClassValue, mainModule = mainModuleValue;
  if (const std::size_t slash = mainModule.find(L'/'); slash != std::wstring_view::npos) {
    // "module/" names no class: "Main Class" still does.
    if (slash + 1 < mainModule.size()) mainClass = mainModule.substr(slash + 1);
    mainModule = mainModule.substr(0, slash);
  }
  return {text::ReplaceAll(std::wstring(mainClass), L'.', L'/'), std::wstring(mainModule)};
}

}  // namespace config
