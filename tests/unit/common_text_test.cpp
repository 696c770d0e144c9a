// Splitting rules, message formatting and modified UTF-8 decoding.
#include <gtest/gtest.h>

#include "common/splitting.h"
#include "common/text.h"

namespace {

using Pieces = std::vector<std::wstring>;

Pieces Arguments(const std::wstring& text) {
  Pieces out;
  text::SplitArguments(text, out);
  return out;
}

Pieces BySeparator(const std::wstring& text, const std::wstring& separator) {
  Pieces out{L"stale"};
  text::SplitBySeparator(out, text, separator);
  return out;
}

TEST(TextSplitting, ArgumentsFollowQuoteAndSpaceRules) {
  struct Case {
    const wchar_t* text;
    Pieces expected;
  } cases[] = {
      {L"", {}},
      {L"a", {L"a"}},
      {L"a b  c", {L"a", L"b", L"c"}},
      {L"a   ", {L"a"}},
      {L"-x \"two words\" \"\"", {L"-x", L"two words", L""}},
      {L"x \"abc def", {L"x", L"abc def"}},  // unclosed quote runs to the end
      {L"a\tb c", {L"a\tb", L"c"}},          // a tab does not separate
      {L" a", {L"", L"a"}},                  // a leading space gives an empty first piece
      {L"ab\"c d\"", {L"ab\"c", L"d\""}},    // a quote inside a piece is ordinary
      {L"C:\\dir\\ \"q\\\" x", {L"C:\\dir\\", L"q\\", L"x"}},  // no escape character
      {L"\"a\"b c", {L"a", L"b", L"c"}},     // a piece ends at its closing quote
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Arguments(c.text), c.expected) << "text: [" << std::string(c.text, c.text + wcslen(c.text)) << "]";
  }
}

TEST(TextSplitting, BySeparatorKeepsInnerEmptyPiecesButNoTrailingOne) {
  EXPECT_EQ(BySeparator(L"a;;b", L";"), (Pieces{L"a", L"", L"b"}));
  EXPECT_EQ(BySeparator(L"a;b;", L";"), (Pieces{L"a", L"b"}));
  EXPECT_EQ(BySeparator(L";a", L";"), (Pieces{L"", L"a"}));
  EXPECT_EQ(BySeparator(L"", L";"), Pieces{});
  EXPECT_EQ(BySeparator(L"abc", L";"), Pieces{L"abc"});
  EXPECT_EQ(BySeparator(L";", L";"), Pieces{L""});
  EXPECT_EQ(BySeparator(L"l1\r\n\r\nl3\r\n", L"\r\n"), (Pieces{L"l1", L"", L"l3"}));
  EXPECT_EQ(BySeparator(L"l1\nl2", L"\r\n"), Pieces{L"l1\nl2"});
  EXPECT_EQ(BySeparator(L"C:\\a\\b", L"\\"), (Pieces{L"C:", L"a", L"b"}));
}

TEST(TextFormatting, FillsTextsAndNumbersInOrder) {
  EXPECT_EQ(text::FormatMessageText(L"Windows exception: %s (errno = %d).\n", {L"why"}, {-5}),
            L"Windows exception: why (errno = -5).\n");
  EXPECT_EQ(text::FormatMessageText(L"between %s and %s", {L"1.6", L"1.7"}), L"between 1.6 and 1.7");
  EXPECT_EQ(text::FormatMessageText(L"100%% %s", {L"%d"}), L"100% %d");  // arguments are not re-read
  EXPECT_EQ(text::FormatMessageText(L"", {L"x"}), L"");
  EXPECT_EQ(text::FormatMessageText(L"%s|%d", {}), L"|0");
}

TEST(TextFormatting, TrimRemovesEveryKindOfBlank) {
  EXPECT_EQ(text::Trim(L" \t\r\n\f\vMain Class \t"), L"Main Class");
  EXPECT_EQ(text::Trim(L"   "), L"");
  EXPECT_EQ(text::Trim(L"a b"), L"a b");
}

TEST(TextFormatting, ModifiedUtf8DecodesToTheSameUtf16Units) {
  EXPECT_EQ(text::FromModifiedUtf8("com/example/Main"), L"com/example/Main");
  EXPECT_EQ(text::FromModifiedUtf8("Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93"), L"Gr\u00FC\u00DFe \u2713");
  // U+1D11E as two three-byte surrogates, the JNI form.
  EXPECT_EQ(text::FromModifiedUtf8("\xED\xA0\xB4\xED\xB4\x9E"), std::wstring(L"\xD834\xDD1E"));
  EXPECT_EQ(text::FromModifiedUtf8("\xC0\x80"), std::wstring(1, L'\0'));
  EXPECT_EQ(text::FromModifiedUtf8("a\xFF" "b"), L"a\uFFFDb");
}

}  // namespace

namespace {

TEST(TextFormatting, DecimalTextOfEveryRange) {
  EXPECT_EQ(text::DecimalText(std::int64_t{0}), L"0");
  EXPECT_EQ(text::DecimalText(std::int64_t{-1}), L"-1");
  EXPECT_EQ(text::DecimalText(std::int64_t{2147483647}), L"2147483647");
  EXPECT_EQ(text::DecimalText(std::int64_t{INT64_MIN}), L"-9223372036854775808");
  EXPECT_EQ(text::DecimalText(std::uint64_t{UINT64_MAX}), L"18446744073709551615");
  EXPECT_EQ(text::DecimalText(std::uint64_t{4294967296}), L"4294967296");
}

}  // namespace
