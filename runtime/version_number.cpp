#include "runtime/version_number.h"

#include "common/text.h"
#include "report/message_ids.h"

namespace runtime {

// Literals as views: their length is known when the launcher is built.
using namespace std::string_view_literals;

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

ParsedVersion ParseVersion(std::wstring_view text, std::int32_t fill) {
  ParsedVersion result;
  size_t p = 0;
  while (p < text.size() && !IsDigit(text[p])) ++p;
  if (p == text.size()) return result;

  VersionNumber v;
  int part = 0;
  for (;;) {
    std::int64_t value = 0;
    while (p < text.size() && IsDigit(text[p])) {
      value = value * 10 + (text[p] - L'0');
      if (value > 2147483647) return ParsedVersion{};
      ++p;
    }
    v.parts[part] = static_cast<std::int32_t>(value);
    ++part;
    while (p < text.size() && !IsDigit(text[p])) ++p;
    if (p == text.size()) break;
    if (part == 4) {
      part = 5;
      break;
    }
  }
  v.count = part;
  for (int i = part < 4 ? part : 4; i < 4; ++i) v.parts[i] = fill;
  result.version = v;
  result.ok = true;
  return result;
}

int CompareVersions(const VersionNumber& a, const VersionNumber& b) {
  for (int i = 0; i < 4; ++i) {
    if (a.parts[i] < b.parts[i]) return -1;
    if (a.parts[i] > b.parts[i]) return 1;
  }
  return 0;
}

bool MatchesPreferred(const VersionNumber& candidate, const VersionNumber& preferred) {
  if (candidate.parts == preferred.parts) return true;
  int significant = 4;
  while (significant > 0 && preferred.parts[significant - 1] == 0) --significant;
  for (int i = 0; i < significant; ++i) {
    if (candidate.parts[i] != preferred.parts[i]) return false;
  }
  return true;
}

bool IsUnboundedVersion(const VersionNumber& v) {
  bool allZero = true, allFill = true;
  for (auto part : v.parts) {
    allZero = allZero && part == 0;
    allFill = allFill && part == kVersionFill;
  }
  return allZero || allFill;
}

std::wstring FormatVersion(const VersionNumber& v) {
  int highest = -1;
  for (int i = 3; i >= 0; --i) {
    if (v.parts[i] != 0 && v.parts[i] != kVersionFill) {
      highest = i;
      break;
    }
  }
  if (highest < 0) return L"0.0.0.0";
  if (highest < 1) highest = 1;
  std::wstring out;
  for (int i = 0; i <= highest; ++i) {
    if (i > 0) out += L'.';
    out += text::DecimalText(static_cast<std::int64_t>(v.parts[i]));
  }
  return out;
}

VersionPhrase VersionRequirementPhrase(const VersionNumber& minimum, const VersionNumber& maximum) {
  bool noMinimum = IsUnboundedVersion(minimum);
  bool noMaximum = IsUnboundedVersion(maximum);
  if (noMinimum && noMaximum) return {IDS_VERSION_LATEST, {}};
  if (noMinimum) return {IDS_VERSION_MAXIMUM, {FormatVersion(maximum)}};
  if (noMaximum) return {IDS_VERSION_MINIMUM, {FormatVersion(minimum)}};
  if (minimum.parts == maximum.parts) return {IDS_VERSION_EXACT, {FormatVersion(minimum)}};
  return {IDS_VERSION_BETWEEN, {FormatVersion(minimum), FormatVersion(maximum)}};
}

VersionNumber MinimumVersionSetting(std::wstring_view value) {
  if (value == L"any"sv) return VersionNumber::AnyMinimum();
  return ParseVersion(value, 0).version;
}

VersionNumber MaximumVersionSetting(std::wstring_view value) {
  if (value == L"any"sv) return VersionNumber::AnyMaximum();
  // An omitted maximum would otherwise read 0.0.0.0 and reject every runtime.
  // A written number that does not fit stays a failed parse (0.0.0.0).
  bool hasDigit = false;
  for (wchar_t c : value) hasDigit = hasDigit || IsDigit(c);
  if (!hasDigit) return VersionNumber{{kVersionFill, kVersionFill, kVersionFill, kVersionFill}, 0};
  return ParseVersion(value, kVersionFill).version;
}

}  // namespace runtime
