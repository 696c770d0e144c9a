// The embedded settings layer: a settings text in the .ini syntax, parsed into
// sections and entries in text order. Plain C++.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace config {

struct SettingsEntry {
  std::wstring key;
  std::wstring value;
};

struct SettingsSection {
  std::wstring name;
  std::vector<SettingsEntry> entries;
};

struct EmbeddedSettings {
  std::vector<SettingsSection> sections;

  // Lines split at "\r\n"; "[name]" headers (name taken unchanged between the
  // first "[" and the last "]"); "key=value" entries trimmed on both sides,
  // values cut at a U+0000. Duplicates stay: lookups take the first match.
  void Parse(std::wstring_view text);

  // First section named `section` exactly, first entry keyed `key` exactly.
  std::optional<std::wstring> Find(std::wstring_view section, std::wstring_view key) const;
};

}  // namespace config
