#include "common/text.h"

#include <cwctype>
#include <iterator>

namespace text {

bool IsSpace(wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; }

std::wstring Trim(std::wstring_view s) {
  size_t begin = 0, end = s.size();
  while (begin < end && IsSpace(s[begin])) ++begin;
  while (end > begin && IsSpace(s[end - 1])) --end;
  return std::wstring(s.substr(begin, end - begin));
}

bool StartsWith(std::wstring_view s, std::wstring_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(std::wstring_view s, std::wstring_view suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
  }
  return true;
}

std::wstring ReplaceAll(std::wstring s, wchar_t from, wchar_t to) {
  for (auto& c : s) {
    if (c == from) c = to;
  }
  return s;
}

namespace {

// The decimal digits of `magnitude`, after a "-" when `negative`.
std::wstring DecimalDigits(std::uint64_t magnitude, bool negative) {
  wchar_t digits[21];
  wchar_t* first = std::end(digits);
  do {
    *--first = static_cast<wchar_t>(L'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) *--first = L'-';
  return std::wstring(first, std::end(digits));
}

}  // namespace

std::wstring DecimalText(std::uint64_t value) { return DecimalDigits(value, false); }

std::wstring DecimalText(std::int64_t value) {
  return DecimalDigits(value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value) : value, value < 0);
}

std::optional<std::uint64_t> DecimalValue(std::wstring_view digits, std::uint64_t most) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (wchar_t c : digits) {
    const unsigned digit = static_cast<unsigned>(c - L'0');
    if (digit > 9 || value > (most - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

std::wstring FormatMessageText(std::wstring_view format, std::initializer_list<std::wstring_view> texts,
                               std::initializer_list<std::int32_t> numbers) {
  std::wstring out;
  size_t nextText = 0, nextNumber = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == L'%' && i + 1 < format.size()) {
      wchar_t spec = format[i + 1];
      if (spec == L's') {
        if (nextText < texts.size()) out += texts.begin()[nextText];
        ++nextText;
        ++i;
        continue;
      }
      if (spec == L'd') {
        std::int32_t n = nextNumber < numbers.size() ? numbers.begin()[nextNumber] : 0;
        ++nextNumber;
        out += DecimalText(static_cast<std::int64_t>(n));
        ++i;
        continue;
      }
      if (spec == L'%') {
        out += L'%';
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

namespace {

// Appends the UTF-16 code units of modified UTF-8 `bytes` to `units`.
template <typename Unit>
void AppendModifiedUtf8Units(std::string_view bytes, std::basic_string<Unit>& units) {
  for (size_t i = 0; i < bytes.size();) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    auto cont = [&](size_t k) {
      return i + k < bytes.size() && (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
    };
    if (b < 0x80) {
      units += static_cast<Unit>(b);
      i += 1;
    } else if ((b & 0xE0) == 0xC0 && cont(1)) {
      units += static_cast<Unit>(((b & 0x1F) << 6) | (bytes[i + 1] & 0x3F));
      i += 2;
    } else if ((b & 0xF0) == 0xE0 && cont(1) && cont(2)) {
      units += static_cast<Unit>(((b & 0x0F) << 12) | ((bytes[i + 1] & 0x3F) << 6) | (bytes[i + 2] & 0x3F));
      i += 3;
    } else if ((b & 0xF8) == 0xF0 && cont(1) && cont(2) && cont(3)) {
      // Standard UTF-8 four-byte form: tolerated, becomes a surrogate pair.
      char32_t cp = ((b & 0x07) << 18) | ((bytes[i + 1] & 0x3F) << 12) | ((bytes[i + 2] & 0x3F) << 6) |
                    (bytes[i + 3] & 0x3F);
      cp -= 0x10000;
      units += static_cast<Unit>(0xD800 + (cp >> 10));
      units += static_cast<Unit>(0xDC00 + (cp & 0x3FF));
      i += 4;
    } else {
      units += static_cast<Unit>(0xFFFD);
      i += 1;
    }
  }
}

}  // namespace

std::wstring FromModifiedUtf8(std::string_view bytes) {
  // Modified UTF-8 writes U+0000 as two bytes and characters above U+FFFF as
  // two 3-byte surrogates, so decoding one- to three-byte forms into UTF-16
  // code units gives the Java string's units back. Malformed bytes become U+FFFD.
  if constexpr (sizeof(wchar_t) == 2) {
    std::wstring out;  // wchar_t is the UTF-16 unit: decoded in place
    AppendModifiedUtf8Units(bytes, out);
    return out;
  } else {
    // Linux builds (JNI checks): combine surrogate pairs into code points.
    std::u16string units;
    AppendModifiedUtf8Units(bytes, units);
    std::wstring out;
    for (size_t i = 0; i < units.size(); ++i) {
      char16_t u = units[i];
      if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
        out += static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
        ++i;
      } else {
        out += static_cast<wchar_t>(u);
      }
    }
    return out;
  }
}

}  // namespace text
