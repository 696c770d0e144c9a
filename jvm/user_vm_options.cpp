#include "jvm/user_vm_options.h"

#include "common/text.h"

namespace jvm {
namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no
// cut sequence. False when the bytes are not such text.
bool DecodeUtf8(std::string_view bytes, std::wstring& out) {
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t c = static_cast<unsigned char>(bytes[i++]);
    const int more = c < 0x80 ? 0 : c < 0xC2 ? -1 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : c < 0xF5 ? 3 : -1;
    if (more < 0 || bytes.size() - i < static_cast<std::size_t>(more)) return false;
    if (more > 0) c &= 0x7Fu >> (more + 1);
    for (int k = 0; k < more; ++k) {
      const unsigned char b = static_cast<unsigned char>(bytes[i++]);
      if ((b & 0xC0) != 0x80) return false;
      c = (c << 6) | (b & 0x3Fu);
    }
    if ((more == 2 && c < 0x800) || (more == 3 && c < 0x10000) || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
      return false;
    }
    if (c >= 0x10000) {
      out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      c = 0xDC00 + (c & 0x3FF);
    }
    out += static_cast<wchar_t>(c);
  }
  return true;
}

}  // namespace

const wchar_t* UserVmOptionsRefusal(std::wstring_view setting, bool isService, bool elevated) {
  if (!text::EqualsIgnoreCase(setting, L"Yes")) return L"setting off";
  if (isService) return L"service";
  if (elevated) return L"elevated";
  return nullptr;
}

UserVmOptions ParseUserVmOptions(std::string_view bytes) {
  UserVmOptions result;
  if (bytes.size() > kLargestUserVmOptionsFile) {
    result.problem = L"over 64 KB";
    return result;
  }
  std::wstring text;
  const bool little = bytes.starts_with("\xFF\xFE"), big = bytes.starts_with("\xFE\xFF");
  if (little || big) {
    if (bytes.size() % 2 != 0) {
      result.problem = L"bad UTF-16";
      return result;
    }
    for (std::size_t i = 2; i < bytes.size(); i += 2) {
      const unsigned char first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
      text += static_cast<wchar_t>(little ? first | second << 8 : first << 8 | second);
    }
  } else if (!DecodeUtf8(bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes, text)) {
    result.problem = L"bad UTF-8";
    return result;
  }
  if (text.find(L'\0') != std::wstring::npos) {
    result.problem = L"NUL";
    return result;
  }
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text::Trim(std::wstring_view(text).substr(start, end - start));
    if (!line.empty() && line.front() != L'#') {
      if (result.options.size() == kMostUserVmOptions) {
        result.options.clear();
        result.problem = L"over 1000 options";
        return result;
      }
      result.options.push_back(std::move(line));
    }
    start = end + 1;
  }
  return result;
}

std::wstring UserVmOptionsPathFor(std::wstring_view perUserSettingsPath) {
  std::wstring path(perUserSettingsPath.substr(0, perUserSettingsPath.rfind(L'.') + 1));
  path += L"vmoptions";
  return path;
}

}  // namespace jvm
