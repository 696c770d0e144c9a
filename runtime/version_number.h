// Java runtime version numbers: four signed parts and the count of digit
// groups read. Plain C++.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

constexpr std::int32_t kVersionFill = 65535;  // fill of a maximum's missing parts

struct VersionNumber {
  std::array<std::int32_t, 4> parts{0, 0, 0, 0};
  std::int32_t count = 0;  // groups read, 0 to 5 (5: digits remained after the fourth)

  // The bounds that "any" stands for.
  static VersionNumber AnyMinimum() { return {{0, 0, 0, 0}, 4}; }
  static VersionNumber AnyMaximum() { return {{kVersionFill, kVersionFill, kVersionFill, kVersionFill}, 4}; }
};

struct ParsedVersion {
  VersionNumber version;
  bool ok = false;
};

// Digit groups separated by any run of non-digits; missing parts get `fill`.
// Empty text, text without digits and a part above 2147483647 give 0.0.0.0.
ParsedVersion ParseVersion(std::wstring_view text, std::int32_t fill);

// Negative, zero or positive: the four parts compared in order, signed.
int CompareVersions(const VersionNumber& a, const VersionNumber& b);

// Trailing zero parts of `preferred` are not significant; 0.0.0.0 matches all.
bool MatchesPreferred(const VersionNumber& candidate, const VersionNumber& preferred);

// Four parts all 0 or all 65535.
bool IsUnboundedVersion(const VersionNumber& v);

// 1.6.0.0 -> "1.6", 1.7.65535.65535 -> "1.7", 1.0.0.5 -> "1.0.0.5".
std::wstring FormatVersion(const VersionNumber& v);

// The phrase for the missing-runtime message: a string id (217 to 221) and the
// printed versions that fill it.
struct VersionPhrase {
  unsigned id = 0;
  std::vector<std::wstring> arguments;
};
VersionPhrase VersionRequirementPhrase(const VersionNumber& minimum, const VersionNumber& maximum);

// The phrase, loaded from the string table and filled.
std::wstring DescribeVersionRequirement(const VersionNumber& minimum, const VersionNumber& maximum);

// "Minimum Version" / "Maximum Version": "any" exactly gives the unbounded
// value; other text is parsed with fill 0 / 65535. Maximum text without any
// digit (empty included) means no maximum, like "any".
VersionNumber MinimumVersionSetting(std::wstring_view value);
VersionNumber MaximumVersionSetting(std::wstring_view value);

}  // namespace runtime
