// The embedded settings text: its parser and its enciphered storage form.
#include <gtest/gtest.h>

#include "config/embedded_settings.h"
#include "config/settings_cipher.h"

namespace {

using config::EmbeddedSettings;

std::wstring Find(const EmbeddedSettings& s, const std::wstring& section, const std::wstring& key) {
  return s.Find(section, key).value_or(L"<none>");
}

TEST(EmbeddedSettingsParser, SectionsEntriesAndBlanks) {
  EmbeddedSettings s;
  s.Parse(L"\uFEFF[Java Runtime Environment]\r\n Main Class = com.example.Main \t\r\n\r\nJVM Type=server=x\r\n"
          L"no equals sign\r\n;note=x\r\n[Application]   \r\nCmd=-a");
  EXPECT_EQ(Find(s, L"Java Runtime Environment", L"Main Class"), L"com.example.Main");
  EXPECT_EQ(Find(s, L"Java Runtime Environment", L"JVM Type"), L"server=x");
  EXPECT_EQ(Find(s, L"Java Runtime Environment", L";note"), L"x") << "there is no comment syntax";
  EXPECT_EQ(Find(s, L"Application", L"Cmd"), L"-a") << "trailing blanks after a header keep it a header";
  EXPECT_EQ(Find(s, L"application", L"Cmd"), L"<none>") << "section names compare exactly";
  EXPECT_EQ(Find(s, L"Application", L"cmd"), L"<none>") << "keys compare exactly";
}

TEST(EmbeddedSettingsParser, ValueEndsAtANulSoWhatIsUsedIsWhatIsShown) {
  const wchar_t text[] = L"[S]\r\nJRE Path=C:\\p\\jre \0\\hidden\r\nNext=\0\r\nAfter=kept";
  EmbeddedSettings s;
  s.Parse(std::wstring(text, std::size(text) - 1));
  EXPECT_EQ(Find(s, L"S", L"JRE Path"), L"C:\\p\\jre");
  EXPECT_EQ(Find(s, L"S", L"Next"), L"");
  EXPECT_EQ(Find(s, L"S", L"After"), L"kept") << "the lines after a NUL are still read";
}

TEST(EmbeddedSettingsParser, HeaderShapes) {
  EmbeddedSettings s;
  s.Parse(L"[ Application ]\r\nA=1\r\n[Application] x\r\nB=2\r\n[Application]\r\nC=3");
  EXPECT_EQ(Find(s, L" Application ", L"A"), L"1") << "blanks inside the brackets belong to the name";
  EXPECT_EQ(Find(s, L"Application", L"A"), L"<none>");
  // "[Application] x" is no header, so B=2 still belongs to " Application ".
  EXPECT_EQ(Find(s, L" Application ", L"B"), L"2");
  EXPECT_EQ(Find(s, L"Application", L"C"), L"3");
}

TEST(EmbeddedSettingsParser, FirstOccurrenceWinsAndOnlyTheFirstSectionIsSeen) {
  EmbeddedSettings s;
  s.Parse(L"[S]\r\nK=first\r\nK=second\r\n[S]\r\nK=third\r\nL=later");
  EXPECT_EQ(Find(s, L"S", L"K"), L"first");
  EXPECT_EQ(Find(s, L"S", L"L"), L"<none>") << "a second section of the same name is never consulted";
  EXPECT_EQ(s.sections.size(), 2u);
}

TEST(EmbeddedSettingsParser, LinesBeforeAnyHeaderAndBareLineFeedsAreIgnored) {
  EmbeddedSettings s;
  s.Parse(L"K=orphan\r\n[S]\r\nK=v");
  EXPECT_EQ(Find(s, L"S", L"K"), L"v");
  EmbeddedSettings lf;
  lf.Parse(L"[S]\nK=v\n");  // one single line: a header followed by other text
  EXPECT_TRUE(lf.sections.empty());
  EmbeddedSettings empty;
  empty.Parse(L"");
  EXPECT_TRUE(empty.sections.empty());
}

TEST(EmbeddedSettingsCipher, RoundTripsWithTheRightKeyOnly) {
  std::wstring textIn = L"[Java Runtime Environment]\r\nMain Class=com.example.\u00C9l\u00E8ve\U0001D11E\r\n";
  auto block = config::EncipherSettings(textIn, L"{UPGRADE-1}");
  auto back = config::DecipherSettings(block.data(), block.size(), L"{UPGRADE-1}");
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, textIn);
  EXPECT_FALSE(config::DecipherSettings(block.data(), block.size(), L"{UPGRADE-2}").has_value());
  EXPECT_FALSE(config::DecipherSettings(block.data(), block.size(), L"").has_value());
  // The text is not readable in the stored form.
  std::string stored(block.begin(), block.end());
  EXPECT_EQ(stored.find("M\0a\0i\0n", 0, 7), std::string::npos);
}

TEST(EmbeddedSettingsCipher, DamagedBlocksGiveNoText) {
  auto block = config::EncipherSettings(L"[S]\r\nK=v", L"key");
  for (size_t cut = 0; cut < block.size(); ++cut) {
    EXPECT_FALSE(config::DecipherSettings(block.data(), cut, L"key").has_value()) << "cut at " << cut;
  }
  for (size_t i = 0; i < block.size(); ++i) {
    auto damaged = block;
    damaged[i] ^= 0x40;
    EXPECT_FALSE(config::DecipherSettings(damaged.data(), damaged.size(), L"key").has_value()) << "byte " << i;
  }
  EXPECT_FALSE(config::DecipherSettings(nullptr, 0, L"key").has_value());
  std::vector<std::uint8_t> huge = block;
  huge[8] = 0xFE;  // a length far past the block
  huge[9] = huge[10] = huge[11] = 0xFF;
  EXPECT_FALSE(config::DecipherSettings(huge.data(), huge.size(), L"key").has_value());
}

TEST(EmbeddedSettingsCipher, EmptyTextRoundTrips) {
  auto block = config::EncipherSettings(L"", L"k");
  auto back = config::DecipherSettings(block.data(), block.size(), L"k");
  ASSERT_TRUE(back.has_value());
  EXPECT_TRUE(back->empty());
}

}  // namespace
