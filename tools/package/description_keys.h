// Every section and key of the package description, with what each takes and
// what holds when it is not given. The parser checks against this table,
// `package-app --help` prints it, and a README test reads it, so the three
// cannot drift apart.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace package {

struct DescriptionKey {
  std::string_view section;   // "Package", "Version", "Installer", "Signing" or "Service"
  std::string_view key;
  std::string_view values;    // what it takes
  std::string_view fallback;  // what holds when it is not given
};

std::span<const DescriptionKey> DescriptionKeys();

// The keys of `section` in the table's order.
std::vector<std::string_view> KeysOf(std::string_view section);

// The sections and keys the launcher reads (its settings catalogue), UTF-8;
// `layered`: only those it reads from the embedded settings (and "+" sections).
std::vector<std::string> SettingsSections(bool layered = false);
std::vector<std::string> SettingsKeysOf(std::string_view section);

// The candidate nearest to `word` (letter case ignored): one a few edits
// away or holding it whole; empty when none is near.
std::string_view Nearest(std::string_view word, const std::vector<std::string_view>& candidates);

// `unknown <what> "<word>" in <where> (nearest: "<x>"); <where> takes a, b, c`.
std::string UnknownMessage(std::string_view what, std::string_view word, std::string_view where,
                           const std::vector<std::string_view>& accepted);

// The reference printed by `package-app --help`.
std::string DescriptionHelp();

}  // namespace package
