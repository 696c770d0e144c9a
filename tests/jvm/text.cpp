#include "text.h"

namespace jvmdouble {

namespace {

void AppendCodePoint(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

std::string Utf8(std::u16string_view text, bool loneAsQuestionMark) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t u = text[i];
    if (IsHigh(u) && i + 1 < text.size() && IsLow(text[i + 1])) {
      AppendCodePoint(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if ((IsHigh(u) || IsLow(u)) && loneAsQuestionMark) {
      out += '?';
    } else {
      AppendCodePoint(out, u);
    }
  }
  return out;
}

}  // namespace

std::string Wtf8(std::u16string_view text) { return Utf8(text, false); }
std::string JavaUtf8(std::u16string_view text) { return Utf8(text, true); }

std::u16string DecodeUtf8(std::string_view bytes) {
  std::u16string out;
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned char c = bytes[i];
    int length = c < 0x80 ? 1 : (c >= 0xC2 && c <= 0xDF) ? 2 : (c >= 0xE0 && c <= 0xEF) ? 3 : (c >= 0xF0 && c <= 0xF4) ? 4 : 0;
    if (length == 1) {
      out += char16_t(c);
      ++i;
      continue;
    }
    char32_t cp = length == 2 ? (c & 0x1F) : length == 3 ? (c & 0x0F) : (c & 0x07);
    int taken = 1;
    bool good = length > 0;
    for (; good && taken < length; ++taken) {
      if (i + taken >= bytes.size() || (static_cast<unsigned char>(bytes[i + taken]) & 0xC0) != 0x80) {
        good = false;
        break;
      }
      cp = (cp << 6) | (static_cast<unsigned char>(bytes[i + taken]) & 0x3F);
    }
    if (good && ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
                 (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)))) {
      good = false;
    }
    if (!good) {
      out += char16_t(0xFFFD);
      i += taken > 0 ? taken : 1;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += char16_t(0xD800 + (cp >> 10));
      out += char16_t(0xDC00 + (cp & 0x3FF));
    } else {
      out += char16_t(cp);
    }
    i += length;
  }
  return out;
}

std::string ModifiedUtf8(std::u16string_view text) {
  std::string out;
  for (char16_t u : text) {
    if (u == 0) {
      out += static_cast<char>(0xC0);
      out += static_cast<char>(0x80);
    } else {
      AppendCodePoint(out, u);
    }
  }
  return out;
}

std::u16string DecodeModifiedUtf8(std::string_view bytes) {
  std::u16string out;
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned char c = bytes[i];
    if (c < 0x80) {
      out += char16_t(c);
      i += 1;
    } else if ((c & 0xE0) == 0xC0 && i + 1 < bytes.size()) {
      out += char16_t(((c & 0x1F) << 6) | (bytes[i + 1] & 0x3F));
      i += 2;
    } else if ((c & 0xF0) == 0xE0 && i + 2 < bytes.size()) {
      out += char16_t(((c & 0x0F) << 12) | ((bytes[i + 1] & 0x3F) << 6) | (bytes[i + 2] & 0x3F));
      i += 3;
    } else if ((c & 0xF8) == 0xF0 && i + 3 < bytes.size()) {
      // Not modified UTF-8, but accepted the way standard UTF-8 would be.
      char32_t cp = ((c & 0x07) << 18) | ((bytes[i + 1] & 0x3F) << 12) | ((bytes[i + 2] & 0x3F) << 6) | (bytes[i + 3] & 0x3F);
      cp -= 0x10000;
      out += char16_t(0xD800 + ((cp >> 10) & 0x3FF));
      out += char16_t(0xDC00 + (cp & 0x3FF));
      i += 4;
    } else {
      out += char16_t(0xFFFD);
      i += 1;
    }
  }
  return out;
}

}  // namespace jvmdouble
