#include "tools/package/utf.h"

namespace package {

bool Utf8ToUtf16(std::string_view in, std::u16string& out) {
  out.clear();
  for (std::size_t i = 0; i < in.size();) {
    unsigned char lead = static_cast<unsigned char>(in[i]);
    std::size_t extra = lead < 0x80                ? 0
                        : (lead & 0xE0) == 0xC0    ? 1
                        : (lead & 0xF0) == 0xE0    ? 2
                        : (lead & 0xF8) == 0xF0    ? 3
                                                   : 9;  // a continuation byte or 0xF8..0xFF
    if (extra == 9 || in.size() - i <= extra) return false;
    char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
      unsigned char next = static_cast<unsigned char>(in[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    if (c >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i += extra + 1;
  }
  return true;
}

}  // namespace package
