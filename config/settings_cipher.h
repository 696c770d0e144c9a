// Storage form of the embedded settings text, keyed by the product's
// "Upgrade Code". This keeps the text from being read or edited casually in
// the executable; it is not meant to withstand someone who holds the key,
// which stands in the .ini beside the executable.
//
// Layout (little-endian):
//   0  "VSET"                  magic
//   4  u32 1                   format version
//   8  u32 n                   length of the text in bytes (UTF-16LE units)
//   12 u64 check               FNV-1a 64 over the key, a 0 byte and the text
//   20 n bytes                 the text, XORed with a splitmix64 keystream
//                              seeded by FNV-1a 64 of the key
// A wrong key, a truncated or altered block gives no text at all.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace config {

std::vector<std::uint8_t> EncipherSettings(std::wstring_view settingsText, std::wstring_view upgradeCode);

std::optional<std::wstring> DecipherSettings(const std::uint8_t* data, std::size_t size,
                                             std::wstring_view upgradeCode);

}  // namespace config
