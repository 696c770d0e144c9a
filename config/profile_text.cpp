#include "config/profile_text.h"

#include <algorithm>

namespace config {
namespace {

// The blanks of the profile reader: ASCII ones only, and the old end-of-file
// mark U+001A.
bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1A; }

std::wstring_view Trimmed(std::wstring_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Names and values are read as zero-terminated strings.
std::wstring_view UpToNul(std::wstring_view s) { return s.substr(0, s.find(L'\0')); }

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c; }

bool SameName(std::wstring_view stored, std::wstring_view wanted) {
  stored = UpToNul(Trimmed(stored));
  wanted = Trimmed(wanted);
  if (stored.size() != wanted.size()) return false;
  for (size_t i = 0; i < stored.size(); ++i) {
    if (AsciiLower(stored[i]) != AsciiLower(wanted[i])) return false;
  }
  return true;
}

}  // namespace

void VisitProfileKeys(std::wstring_view content, ProfileKeyVisitor visit) {
  std::wstring_view section;
  while (!content.empty()) {
    const size_t end = std::min(content.find_first_of(L"\r\n"), content.size());
    const std::wstring_view line = Trimmed(content.substr(0, end));
    content.remove_prefix(std::min(end + 1, content.size()));
    if (line.empty()) continue;
    if (line[0] == L'[' && line.rfind(L']') != std::wstring_view::npos) {
      section = UpToNul(Trimmed(line.substr(1, line.rfind(L']') - 1)));
      continue;
    }
    visit(section, UpToNul(Trimmed(line.substr(0, line.find(L'=')))));
  }
}

std::wstring FindProfileValue(std::wstring_view content, std::wstring_view section, std::wstring_view key) {
  bool inSection = SameName(L"", section);
  while (!content.empty()) {
    const size_t end = std::min(content.find_first_of(L"\r\n"), content.size());
    const std::wstring_view line = Trimmed(content.substr(0, end));
    content.remove_prefix(std::min(end + 1, content.size()));
    if (line.empty()) continue;
    if (line[0] == L'[') {
      const size_t close = line.rfind(L']');
      if (close != std::wstring_view::npos) {
        if (inSection) return {};  // only the first section of that name counts
        inSection = SameName(line.substr(1, close - 1), section);
        continue;
      }
    }
    if (!inSection) continue;
    const size_t equals = line.find(L'=');
    if (!SameName(line.substr(0, equals), key)) continue;
    if (equals == std::wstring_view::npos) return {};  // the first line of the key has no value
    std::wstring_view value = UpToNul(Trimmed(line.substr(equals + 1)));
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return std::wstring(value);
  }
  return {};
}

std::wstring DecodeProfileBytes(std::string_view bytes, ByteDecoder fromAnsi, ByteDecoder fromUtf8) {
  const bool little = bytes.substr(0, 2) == "\xFF\xFE", big = bytes.substr(0, 2) == "\xFE\xFF";
  if (little || big) {
    std::wstring out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const unsigned first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
      out += static_cast<wchar_t>(little ? first | second << 8 : first << 8 | second);
    }
    return out;
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return fromUtf8(bytes.substr(3));
  return fromAnsi(bytes);
}

}  // namespace config
