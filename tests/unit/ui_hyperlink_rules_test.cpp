// The hyperlink control's rules: colour texts and the registry values that
// carry them, the link's place in its control, the hand cursor's picture.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ui/hyperlink_rules.h"

namespace {

TEST(HyperlinkRules, ParseColour) {
  const struct {
    const wchar_t* text;
    std::int32_t colour;
  } cases[] = {
      {L"0,128,0", 0x008000},     {L" 1, +2, 3", 0x030201},
      {L"256,257,258", 0x020100},  // each part keeps its lowest 8 bits
      {L"a,b,c", 0},               // no digits read as 0
      {L"1,2,3,4", 0x030201},      // blue stops at the next non-digit
      {L"1,2,-1", 0xFF0201},       // only red and green may not be -1
      {L"12,34", ui::kNoColour},   {L"1,2,", ui::kNoColour},      {L"-1,2,3", ui::kNoColour},
      {L"1,-1,3", ui::kNoColour},  {L"99999999999,0,0", 0x0000FF},
  };
  for (const auto& c : cases) EXPECT_EQ(ui::ParseColour(c.text), c.colour) << testing::PrintToString(c.text);
}

TEST(HyperlinkRules, ColourValueAcceptance) {
  auto bytes = [](const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
      out += static_cast<char>(c & 0xFF);
      out += static_cast<char>(c >> 8);
    }
    return out;
  };
  const std::string terminated = bytes(std::wstring(L"0,128,0") + L'\0');
  const std::string unterminated = bytes(L"0,128,0");
  const std::string embedded = bytes(std::wstring(L"1,2\0x", 5) + L'\0');
  const struct {
    const char* name;
    bool queried;
    std::uint32_t type;
    std::string data;
    std::uint32_t count;
    std::optional<std::wstring> text;
  } cases[] = {
      {"REG_SZ", true, 1, terminated, 16, L"0,128,0"},
      {"REG_EXPAND_SZ", true, 2, terminated, 16, L"0,128,0"},
      {"empty", true, 1, "", 0, L""},
      {"text up to the first zero", true, 1, embedded, 12, L"1,2"},
      {"failed query", false, 1, terminated, 16, std::nullopt},
      {"REG_DWORD", true, 4, std::string("\x00\x80\x00\x00", 4), 4, std::nullopt},
      {"REG_BINARY", true, 3, terminated, 16, std::nullopt},
      {"odd byte count", true, 1, terminated, 15, std::nullopt},
      {"no terminator", true, 1, unterminated, 14, std::nullopt},
  };
  for (const auto& c : cases) {
    auto text = ui::ColourValueText(c.queried, c.type, reinterpret_cast<const unsigned char*>(c.data.data()), c.count);
    EXPECT_EQ(text, c.text) << c.name;
  }
}

TEST(HyperlinkRules, LinkRectFollowsTheStaticsAlignment) {
  const placement::Rect client{0, 0, 101, 13}, measured{0, 0, 40, 13};
  const struct {
    std::uint32_t style;
    placement::Rect rect;
  } cases[] = {
      {0x0, {0, 0, 40, 13}},     // SS_LEFT
      {0x1, {30, 0, 70, 13}},    // SS_CENTER: (101 - 40) / 2 truncated
      {0x2, {61, 0, 101, 13}},   // SS_RIGHT
      {0x101, {30, 0, 70, 13}},  // SS_NOTIFY changes nothing
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ui::PlaceLinkRect(client, measured, ui::AlignmentFromStyle(c.style)), c.rect) << c.style;
  }
}

TEST(HyperlinkRules, HandCursorIsAFingerPointingUpFromTheTopLeft) {
  const ui::CursorPlanes& planes = ui::HandCursorPlanes();
  auto pixel = [&](int x, int y) {  // 'X' black, 'o' white, '.' transparent
    unsigned char bit = static_cast<unsigned char>(0x80 >> (x % 8));
    bool transparent = planes.andPlane[y * 4 + x / 8] & bit, inverted = planes.xorPlane[y * 4 + x / 8] & bit;
    return transparent ? (inverted ? '?' : '.') : (inverted ? 'o' : 'X');
  };
  EXPECT_EQ(planes.hotX, 5);
  EXPECT_EQ(planes.hotY, 0);
  EXPECT_EQ(pixel(5, 0), 'X') << "the hot spot is the outline at the finger tip";
  EXPECT_EQ(pixel(5, 1), 'o');
  int outline = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      char p = pixel(x, y);
      if (x >= 17 || y >= 22) EXPECT_EQ(p, '.') << x << "," << y << " lies outside the hand";
      EXPECT_NE(p, '?') << x << "," << y;
      outline += p == 'X';
    }
  }
  EXPECT_GT(outline, 40);
}

}  // namespace
