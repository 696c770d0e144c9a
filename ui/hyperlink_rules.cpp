#include "ui/hyperlink_rules.h"

#include <climits>

#include "common/text.h"

namespace ui {
namespace {

// Leading blanks, an optional sign, then digits up to the first other
// character; no digits read as 0. Out of range clamps like strtol.
std::int64_t ReadDecimal(std::wstring_view s) {
  size_t i = 0;
  while (i < s.size() && text::IsSpace(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) negative = s[i++] == L'-';
  std::int64_t value = 0;
  for (; i < s.size() && s[i] >= L'0' && s[i] <= L'9'; ++i) {
    value = value * 10 + (s[i] - L'0');
    if (value > std::int64_t(INT32_MAX) + 1) break;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return value;
}

// The hand, one character per pixel: X black, o white, . transparent. The
// hot spot is the tip of the finger, (5, 0).
constexpr const char* kHandPicture[] = {
    ".....XX..........",  //
    "....XooX.........",  //
    "....XooX.........",  //
    "....XooX.........",  //
    "....XooX.........",  //
    "....XooXXX.......",  //
    "....XooXooXXX....",  //
    "....XooXooXooXX..",  //
    ".XX.XooXooXooXoX.",  //
    "XooXXooooooooXoX.",  //
    "XoooXoooooooooooX",  //
    ".XooXoooooooooooX",  //
    "..XoXoooooooooooX",  //
    "..XooooooooooooX.",  //
    "...XoooooooooooX.",  //
    "...XooooooooooX..",  //
    "....XoooooooooX..",  //
    "....XooooooooX...",  //
    ".....XoooooooX...",  //
    ".....XoooooooX...",  //
    ".....XoooooooX...",  //
    ".....XXXXXXXXX...",  //
};

}  // namespace

std::int32_t ParseColour(std::wstring_view text) {
  std::int64_t parts[2] = {};
  for (auto& part : parts) {
    size_t comma = text.find(L',');
    if (comma == std::wstring_view::npos) return kNoColour;
    part = ReadDecimal(text.substr(0, comma));
    if (part == -1) return kNoColour;
    text.remove_prefix(comma + 1);
  }
  if (text.empty()) return kNoColour;
  std::int64_t blue = ReadDecimal(text);
  return static_cast<std::int32_t>((parts[0] & 0xFF) | ((parts[1] & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

std::optional<std::wstring> ColourValueText(bool queried, std::uint32_t type, const unsigned char* bytes,
                                            std::uint32_t byteCount) {
  constexpr std::uint32_t kString = 1, kExpandString = 2;
  if (!queried || (type != kString && type != kExpandString)) return std::nullopt;
  if (byteCount == 0) return std::wstring();
  if (byteCount % 2 != 0 || byteCount > kColourValueBufferBytes) return std::nullopt;
  std::wstring value(byteCount / 2, L'\0');
  for (size_t i = 0; i < value.size(); ++i) value[i] = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  if (value.back() != L'\0') return std::nullopt;
  return value.substr(0, value.find(L'\0'));
}

LinkAlignment AlignmentFromStyle(std::uint32_t style) {
  if (style & 0x1) return LinkAlignment::Centre;
  if (style & 0x2) return LinkAlignment::Right;
  return LinkAlignment::Left;
}

placement::Rect PlaceLinkRect(const placement::Rect& client, const placement::Rect& measured,
                              LinkAlignment alignment) {
  placement::Rect r = measured;
  int shift = 0;
  if (alignment == LinkAlignment::Centre) shift = (client.right - r.right) / 2;
  if (alignment == LinkAlignment::Right) shift = client.right - r.right;
  r.left += shift;
  r.right += shift;
  return r;
}

constexpr CursorPlanes DrawHandCursor() {
  CursorPlanes p;
  p.andPlane.fill(0xFF);  // transparent everywhere but the hand
  p.hotX = 5;
  int y = 0;
  for (const char* row : kHandPicture) {
    for (int x = 0; row[x] != '\0'; ++x) {
      if (row[x] == '.') continue;
      auto bit = static_cast<unsigned char>(0x80 >> (x % 8));
      p.andPlane[y * 4 + x / 8] &= static_cast<unsigned char>(~bit);
      if (row[x] == 'o') p.xorPlane[y * 4 + x / 8] |= bit;
    }
    ++y;
  }
  return p;
}

// Built in: the planes are computed while compiling.
constexpr CursorPlanes kHandCursor = DrawHandCursor();

const CursorPlanes& HandCursorPlanes() { return kHandCursor; }

}  // namespace ui
