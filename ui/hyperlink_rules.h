// The hyperlink control's rules: colour texts, the registry values that carry
// them, where the link text sits in its control, and the hand cursor's
// picture. Plain C++.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/placement.h"

namespace ui {

// Colours are packed 0x00BBGGRR.
constexpr std::int32_t kNoColour = -1;
constexpr std::int32_t kDefaultLinkColour = 0x00FF0000;     // blue
constexpr std::int32_t kDefaultVisitedColour = 0x00800080;  // purple

// "red,green,blue" in decimal; each part keeps its lowest 8 bits. kNoColour
// when a comma is missing, nothing follows the second one, or red or green
// reads as -1.
std::int32_t ParseColour(std::wstring_view text);

// A colour value as the registry returned it into a 24-byte buffer: accepted
// only when the query succeeded, its type is REG_SZ (1) or REG_EXPAND_SZ (2)
// and the byte count is 0 (an empty text) or even with a zero character last.
// The text up to its first zero character.
constexpr std::uint32_t kColourValueBufferBytes = 24;
std::optional<std::wstring> ColourValueText(bool queried, std::uint32_t type, const unsigned char* bytes,
                                            std::uint32_t byteCount);

enum class LinkAlignment { Left, Centre, Right };
// SS_CENTER (0x1) centres, otherwise SS_RIGHT (0x2) aligns right.
LinkAlignment AlignmentFromStyle(std::uint32_t style);

// The measured text rectangle (anchored at the client's top-left) moved to
// its place in the client area.
placement::Rect PlaceLinkRect(const placement::Rect& client, const placement::Rect& measured,
                              LinkAlignment alignment);

// The 32 x 32 monochrome hand: AND and XOR planes, rows top to bottom, one
// bit per pixel with the leftmost pixel in the highest bit. Black outline,
// white inside, in the top-left 17 x 22 pixels; the rest transparent.
struct CursorPlanes {
  std::array<unsigned char, 128> andPlane{};
  std::array<unsigned char, 128> xorPlane{};
  int hotX = 0, hotY = 0;
};
const CursorPlanes& HandCursorPlanes();

}  // namespace ui
