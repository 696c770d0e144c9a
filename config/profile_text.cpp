#include "config/profile_text.h"

#include "common/text.h"

namespace config {
namespace {

bool SameName(std::wstring_view a, std::wstring_view b) {
  return text::EqualsIgnoreCase(text::Trim(a), text::Trim(b));
}

std::wstring Unquoted(std::wstring value) {
  if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

std::optional<std::wstring> FindProfileValue(std::wstring_view content, std::wstring_view section,
                                             std::wstring_view key) {
  bool inSection = false;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find(L'\n', start);
    if (end == std::wstring_view::npos) end = content.size();
    const std::wstring line = text::Trim(content.substr(start, end - start));
    start = end + 1;
    if (line.empty()) continue;
    if (line[0] == L'[') {
      const size_t close = line.rfind(L']');
      if (close != std::wstring::npos) {
        if (inSection) return std::nullopt;  // only the first section of that name counts
        inSection = SameName(std::wstring_view(line).substr(1, close - 1), section);
        continue;
      }
    }
    if (!inSection) continue;
    const size_t equals = line.find(L'=');
    if (equals == std::wstring::npos || !SameName(std::wstring_view(line).substr(0, equals), key)) continue;
    return Unquoted(text::Trim(std::wstring_view(line).substr(equals + 1)));
  }
  return std::nullopt;
}

std::wstring DecodeProfileBytes(std::string_view bytes, std::wstring (*fromAnsi)(std::string_view)) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    std::wstring out;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      out += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                  (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return out;
  }
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return text::FromModifiedUtf8(bytes.substr(3));
  return fromAnsi(bytes);
}

}  // namespace config
