// The hyperlink's colour texts ("Anchor Color" as "r,g,b") and the check on
// the registry value that carries them.
#include <algorithm>
#include <climits>
#include <memory>
#include <optional>
#include <string>

#include "common/text.h"
#include "tests/fuzz/fuzz_input.h"
#include "ui/hyperlink_rules.h"

namespace {

// A decimal part read the other way round from the rule: the whole digit run
// first, then its value, clamped to 32 bits.
std::int64_t Part(std::wstring_view s) {
  std::size_t i = 0;
  while (i < s.size() && text::IsSpace(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) negative = s[i++] == L'-';
  std::size_t digits = i;
  while (digits < s.size() && s[digits] >= L'0' && s[digits] <= L'9') ++digits;
  while (i < digits && s[i] == L'0') ++i;  // leading zeros add nothing
  if (digits - i > 10) return negative ? INT32_MIN : INT32_MAX;
  std::int64_t value = 0;
  for (; i < digits; ++i) value = value * 10 + (s[i] - L'0');
  if (negative) value = -value;
  return std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX);
}

std::int32_t ExpectedColour(std::wstring_view s) {
  const std::size_t first = s.find(L',');
  if (first == std::wstring_view::npos) return ui::kNoColour;
  const std::size_t second = s.find(L',', first + 1);
  if (second == std::wstring_view::npos) return ui::kNoColour;
  const std::int64_t red = Part(s.substr(0, first)), green = Part(s.substr(first + 1, second - first - 1));
  if (red == -1 || green == -1 || second + 1 == s.size()) return ui::kNoColour;
  const std::int64_t blue = Part(s.substr(second + 1));
  return static_cast<std::int32_t>((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
}

std::uint8_t At(const std::uint8_t* data, std::size_t size, std::size_t i) { return i < size ? data[i] : 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Any text: no colour, or one within 24 bits that the parts decide.
  const std::wstring text = fuzz::WideText(data, size);
  const std::int32_t colour = ui::ParseColour(text);
  fuzz::Require(colour == ui::kNoColour || (colour >= 0 && colour <= 0xFFFFFF));
  fuzz::Require(colour == ExpectedColour(text));

  // Three bytes written out as a colour text read back as themselves; a part
  // above 255, blanks before a part and a "+" keep the lowest 8 bits.
  const std::uint8_t r = At(data, size, 0), g = At(data, size, 1), b = At(data, size, 2), how = At(data, size, 3);
  const int over = 256 * (how & 3);
  const std::wstring blank = (how & 4) ? L" \t" : L"", plus = (how & 8) ? L"+" : L"";
  const std::wstring written = blank + plus + std::to_wstring(r + over) + L"," + blank + std::to_wstring(g) + L"," +
                               blank + plus + std::to_wstring(b + over) + ((how & 16) ? L" px" : L"");
  fuzz::Require(ui::ParseColour(written) == (r | g << 8 | b << 16));

  // The registry value: a 24-byte buffer of its own, so reading past it is caught.
  const bool queried = how & 32;
  const std::uint32_t type = At(data, size, 4) % 4;
  std::uint32_t byteCount = At(data, size, 5);
  if (byteCount >= 0xF0) byteCount = 0xFFFFFF00u | byteCount;  // sizes near the top of the range
  auto buffer = std::make_unique<unsigned char[]>(ui::kColourValueBufferBytes);
  for (std::size_t i = 0; i < ui::kColourValueBufferBytes; ++i) buffer[i] = At(data, size, 6 + i);
  const std::optional<std::wstring> value = ui::ColourValueText(queried, type, buffer.get(), byteCount);

  bool acceptable = queried && (type == 1 || type == 2);
  if (acceptable && byteCount != 0) {
    acceptable = byteCount % 2 == 0 && byteCount <= ui::kColourValueBufferBytes && buffer[byteCount - 2] == 0 &&
                 buffer[byteCount - 1] == 0;
  }
  fuzz::Require(value.has_value() == acceptable);
  if (value) {
    // The units before the first zero one, and nothing else.
    fuzz::Require(value->size() * 2 < std::max<std::uint32_t>(byteCount, 1));
    fuzz::Require(value->find(L'\0') == std::wstring::npos);
    for (std::size_t i = 0; i < value->size(); ++i) {
      fuzz::Require((*value)[i] == static_cast<wchar_t>(buffer[2 * i] | buffer[2 * i + 1] << 8));
    }
    const std::int32_t fromRegistry = ui::ParseColour(*value);
    fuzz::Require(fromRegistry == ExpectedColour(*value));
  }
  return 0;
}
