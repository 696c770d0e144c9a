// Version numbers: parsing, comparing, matching, printing and the phrase.
#include "runtime/version_number.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = fuzz::WideText(data, size);
  const std::size_t half = text.size() / 2;
  const std::wstring_view first = std::wstring_view(text).substr(0, half);
  const std::wstring_view second = std::wstring_view(text).substr(half);

  const runtime::VersionNumber a = runtime::ParseVersion(first, 0).version;
  const runtime::VersionNumber b = runtime::ParseVersion(second, runtime::kVersionFill).version;
  fuzz::Require(a.count >= 0 && a.count <= 5);
  const int ab = runtime::CompareVersions(a, b), ba = runtime::CompareVersions(b, a);
  fuzz::Require((ab < 0) == (ba > 0) && (ab == 0) == (ba == 0));
  runtime::MatchesPreferred(a, b);
  runtime::IsUnboundedVersion(a);
  runtime::FormatVersion(a);
  runtime::FormatVersion(b);
  runtime::VersionRequirementPhrase(runtime::MinimumVersionSetting(first), runtime::MaximumVersionSetting(second));
  return 0;
}
