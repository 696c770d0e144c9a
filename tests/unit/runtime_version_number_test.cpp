// Version numbers: parsing, ordering, preferred matches, printing, phrases.
#include <gtest/gtest.h>

#include "report/message_ids.h"
#include "runtime/version_number.h"

namespace {

using runtime::VersionNumber;
using Parts = std::array<std::int32_t, 4>;
constexpr std::int32_t F = 65535;

VersionNumber V(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) { return {{a, b, c, d}, 4}; }

TEST(VersionNumberParse, GroupsOfDigitsSeparatedByAnything) {
  struct Case {
    const wchar_t* text;
    std::int32_t fill;
    Parts parts;
    std::int32_t count;
  } cases[] = {
      {L"1.6.0_31", 0, {1, 6, 0, 31}, 4},
      {L"1.6.0.31", 0, {1, 6, 0, 31}, 4},
      {L"1.7", 0, {1, 7, 0, 0}, 2},
      {L"1.7", F, {1, 7, F, F}, 2},
      {L"  1.7  ", F, {1, 7, F, F}, 2},
      {L"jdk1.8.0_202", 0, {1, 8, 0, 202}, 4},
      {L"release1.7-beta2", 0, {1, 7, 2, 0}, 3},
      {L"1.2.3.4.5", 0, {1, 2, 3, 4}, 5},
      {L"17", F, {17, F, F, F}, 1},
      {L"2147483647", 0, {2147483647, 0, 0, 0}, 1},
      {L"2147483648", 0, {0, 0, 0, 0}, 0},
      {L"1.99999999999", F, {0, 0, 0, 0}, 0},
      {L"", F, {0, 0, 0, 0}, 0},
      {L"any", F, {0, 0, 0, 0}, 0},
  };
  for (const auto& c : cases) {
    auto parsed = runtime::ParseVersion(c.text, c.fill);
    std::string name(c.text, c.text + wcslen(c.text));
    EXPECT_EQ(parsed.version.parts, c.parts) << name;
    EXPECT_EQ(parsed.version.count, c.count) << name;
    EXPECT_EQ(parsed.ok, c.count > 0) << name;
  }
}

TEST(VersionNumberCompare, FourPartsSignedAndCountIgnored) {
  EXPECT_LT(runtime::CompareVersions(V(1, 6, 0, 31), V(1, 7, 0, 0)), 0);
  EXPECT_GT(runtime::CompareVersions(V(1, 10, 0, 0), V(1, 9, 9, 9)), 0);
  EXPECT_EQ(runtime::CompareVersions(VersionNumber{{1, 6, 0, 0}, 2}, VersionNumber{{1, 6, 0, 0}, 4}), 0);
  EXPECT_LT(runtime::CompareVersions(V(1, 6, 0, 31), V(1, 6, F, F)), 0) << "1.6 as a maximum admits 1.6.0_31";
}

TEST(VersionNumberPreferred, TrailingZerosAreNotSignificant) {
  EXPECT_TRUE(runtime::MatchesPreferred(V(1, 6, 0, 31), V(1, 6, 0, 0)));
  EXPECT_TRUE(runtime::MatchesPreferred(V(1, 6, 1, 0), V(1, 6, 0, 0)));
  EXPECT_TRUE(runtime::MatchesPreferred(V(1, 6, 1, 0), runtime::ParseVersion(L"1.6.0", 0).version))
      << "the entry 1.6.0 also matches 1.6.1.0";
  EXPECT_TRUE(runtime::MatchesPreferred(V(1, 6, 0, 31), V(1, 6, 0, 31)));
  EXPECT_FALSE(runtime::MatchesPreferred(V(1, 6, 0, 30), V(1, 6, 0, 31)));
  EXPECT_TRUE(runtime::MatchesPreferred(V(1, 9, 9, 9), V(1, 0, 0, 0)));
  EXPECT_FALSE(runtime::MatchesPreferred(V(2, 0, 0, 0), V(1, 0, 0, 0)));
  EXPECT_FALSE(runtime::MatchesPreferred(V(1, 0, 0, 4), V(1, 0, 0, 5)));
  EXPECT_TRUE(runtime::MatchesPreferred(V(9, 9, 9, 9), V(0, 0, 0, 0)));
}

TEST(VersionNumberFormat, PrintsUpToTheLastMeaningfulPart) {
  EXPECT_EQ(runtime::FormatVersion(V(1, 6, 0, 0)), L"1.6");
  EXPECT_EQ(runtime::FormatVersion(V(1, 6, 0, 31)), L"1.6.0.31");
  EXPECT_EQ(runtime::FormatVersion(V(1, 0, 0, 0)), L"1.0");
  EXPECT_EQ(runtime::FormatVersion(V(1, 7, F, F)), L"1.7");
  EXPECT_EQ(runtime::FormatVersion(V(1, 0, 0, 5)), L"1.0.0.5");
  EXPECT_EQ(runtime::FormatVersion(V(2, F, F, F)), L"2.65535");
  EXPECT_EQ(runtime::FormatVersion(V(F, F, F, F)), L"0.0.0.0");
  EXPECT_EQ(runtime::FormatVersion(V(0, 0, 0, 0)), L"0.0.0.0");
  EXPECT_EQ(runtime::FormatVersion(V(17, 0, 2, 0)), L"17.0.2");
}

TEST(VersionNumberSettings, AnyAndOmittedBounds) {
  EXPECT_EQ(runtime::MinimumVersionSetting(L"any").parts, (Parts{0, 0, 0, 0}));
  EXPECT_EQ(runtime::MinimumVersionSetting(L"any").count, 4);
  EXPECT_EQ(runtime::MaximumVersionSetting(L"any").parts, (Parts{F, F, F, F}));
  EXPECT_EQ(runtime::MaximumVersionSetting(L"1.6").parts, (Parts{1, 6, F, F}));
  EXPECT_EQ(runtime::MinimumVersionSetting(L"1.6").parts, (Parts{1, 6, 0, 0}));
  // An omitted or digit-less maximum means no maximum, not 0.0.0.0.
  for (const wchar_t* none : {L"", L"ANY", L"none"}) {
    EXPECT_EQ(runtime::MaximumVersionSetting(none).parts, (Parts{F, F, F, F}));
  }
  EXPECT_EQ(runtime::MinimumVersionSetting(L"").parts, (Parts{0, 0, 0, 0}));
  EXPECT_EQ(runtime::MaximumVersionSetting(L"1.99999999999").parts, (Parts{0, 0, 0, 0}))
      << "a written bound that does not fit is a failed parse, not the absence of a bound";
}

TEST(VersionNumberPhrase, ChoosesTheStringByTheBounds) {
  auto min = [](const wchar_t* t) { return runtime::MinimumVersionSetting(t); };
  auto max = [](const wchar_t* t) { return runtime::MaximumVersionSetting(t); };
  using A = std::vector<std::wstring>;
  auto p = runtime::VersionRequirementPhrase(min(L"1.6"), max(L"1.6"));
  EXPECT_EQ(p.id, unsigned{IDS_VERSION_BETWEEN});
  EXPECT_EQ(p.arguments, (A{L"1.6", L"1.6"}));
  p = runtime::VersionRequirementPhrase(min(L"1.6.0_31"), max(L"1.6.0_31"));
  EXPECT_EQ(p.id, unsigned{IDS_VERSION_EXACT});
  EXPECT_EQ(p.arguments, A{L"1.6.0.31"});
  p = runtime::VersionRequirementPhrase(min(L"any"), max(L"1.7"));
  EXPECT_EQ(p.id, unsigned{IDS_VERSION_MAXIMUM});
  EXPECT_EQ(p.arguments, A{L"1.7"});
  p = runtime::VersionRequirementPhrase(min(L"1.5"), max(L"any"));
  EXPECT_EQ(p.id, unsigned{IDS_VERSION_MINIMUM});
  EXPECT_EQ(p.arguments, A{L"1.5"});
  EXPECT_EQ(runtime::VersionRequirementPhrase(min(L"any"), max(L"any")).id, unsigned{IDS_VERSION_LATEST});
  // Unbounded works both ways round.
  EXPECT_EQ(runtime::VersionRequirementPhrase(V(F, F, F, F), V(0, 0, 0, 0)).id, unsigned{IDS_VERSION_LATEST});
}

TEST(VersionNumberPhrase, TextsComeFromTheStringTable) {
  EXPECT_EQ(runtime::DescribeVersionRequirement(runtime::MinimumVersionSetting(L"1.6"),
                                                runtime::MaximumVersionSetting(L"1.7")),
            L"version between 1.6 and 1.7");
  EXPECT_EQ(runtime::DescribeVersionRequirement(runtime::MinimumVersionSetting(L"any"),
                                                runtime::MaximumVersionSetting(L"any")),
            L"latest version");
  EXPECT_EQ(runtime::DescribeVersionRequirement(runtime::MinimumVersionSetting(L"1.8"),
                                                runtime::MaximumVersionSetting(L"1.8.0_202")),
            L"version between 1.8 and 1.8.0.202");
}

}  // namespace
