// The version information resource (what Explorer's Details tab shows):
// fixed file and product versions and one US English / Unicode string table.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/package/bytes.h"

namespace package {

using FourPartVersion = std::array<std::uint16_t, 4>;

// "1.2.3.4": exactly four numbers of 0 to 65535, separated by dots.
std::optional<FourPartVersion> ParseFourPartVersion(std::string_view text);

struct VersionInfo {
  FourPartVersion fileVersion{};
  FourPartVersion productVersion{};
  // String names ("FileVersion", "ProductName", ...) and values, in order.
  std::vector<std::pair<std::u16string, std::u16string>> strings;
};

// The resource's bytes (VS_VERSIONINFO).
Bytes BuildVersionInfo(const VersionInfo& info);

// Language and code page of the string table: US English, Unicode.
inline constexpr std::uint16_t kVersionLanguage = 0x0409;
inline constexpr std::uint16_t kVersionCodePage = 1200;

}  // namespace package
