#include "config/embedded_settings.h"

#include <algorithm>

#include "common/text.h"

namespace config {
namespace {

// Index of the first / last character above U+0020, or npos.
size_t FirstVisible(std::wstring_view line) {
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] > L' ') return i;
  }
  return std::wstring_view::npos;
}

size_t LastVisible(std::wstring_view line) {
  for (size_t i = line.size(); i > 0; --i) {
    if (line[i - 1] > L' ') return i - 1;
  }
  return std::wstring_view::npos;
}

}  // namespace

void EmbeddedSettings::Parse(std::wstring_view textIn) {
  sections.clear();
  if (!textIn.empty() && textIn[0] == L'\uFEFF') textIn.remove_prefix(1);

  SettingsSection* current = nullptr;
  // Each line is looked at where it stands in the text, split at "\r\n".
  for (size_t start = 0; start < textIn.size();) {
    const size_t end = std::min(textIn.find(L"\r\n", start), textIn.size());
    const std::wstring_view line = textIn.substr(start, end - start);
    start = end + 2;
    if (line.empty()) continue;
    size_t first = FirstVisible(line);
    size_t last = LastVisible(line);
    // Nothing before the first visible character is a "[", nothing after the
    // last one a "]": the name lies between the two.
    if (first != std::wstring::npos && line[first] == L'[' && line[last] == L']') {
      sections.push_back(SettingsSection{std::wstring(line.substr(first + 1, last - first - 1)), {}});
      current = &sections.back();
      continue;
    }
    if (current == nullptr) continue;
    size_t equals = line.find(L'=');
    if (equals == std::wstring::npos) continue;
    // A value ends at a U+0000: what the launcher uses is then what it shows.
    std::wstring_view value = line.substr(equals + 1);
    value = value.substr(0, value.find(L'\0'));
    current->entries.push_back(SettingsEntry{text::Trim(line.substr(0, equals)), text::Trim(value)});
  }
}

std::optional<std::wstring> EmbeddedSettings::Find(std::wstring_view section, std::wstring_view key) const {
  for (const auto& s : sections) {
    if (s.name != section) continue;
    for (const auto& e : s.entries) {
      if (e.key == key) return e.value;
    }
    return std::nullopt;  // only the first section of that name is consulted
  }
  return std::nullopt;
}

}  // namespace config
