#include "runtime/runtime_search.h"

#include "common/found_files_win.h"
#include "common/win_handles.h"
#include "runtime/pe_image.h"

namespace runtime {
namespace {

// Registry key names have at most 255 characters.
constexpr DWORD kKeyNameCapacity = 256;

// The longest string value taken for a runtime home, in characters.
constexpr DWORD kLongestHome = 32767;

win::RegistryKey OpenKey(HKEY root, const std::wstring& keyPath, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, keyPath.c_str(), 0, access, &key) != ERROR_SUCCESS) return {};
  return win::RegistryKey(key);
}

}  // namespace

bool DiskFileProbe::Exists(const std::wstring& path) const { return win::PathFound(path.c_str()); }

std::vector<std::wstring> DiskFileProbe::SubfolderNames(const std::wstring& folder) const {
  std::vector<std::wstring> names;
  for (win::FoundFiles found((folder + L"*").c_str()); found.Next();) {
    if (found.IsSubfolder()) names.emplace_back(found.name());
  }
  return names;
}

std::optional<std::uint16_t> DiskFileProbe::LibraryMachine(const std::wstring& path) const {
  return ReadImageMachine(path);
}

std::string DiskFileProbe::ReadStart(const std::wstring& path, std::size_t limit) const {
  win::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  std::string bytes(limit, '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(limit), &read, nullptr)) return {};
  bytes.resize(read);
  return bytes;
}

RegistryViewReader::RegistryViewReader(RegistryView view, HKEY root)
    : access_(view == RegistryView::Bits32 ? KEY_READ | KEY_WOW64_32KEY : KEY_READ), root_(root) {}

std::vector<std::wstring> RegistryViewReader::SubkeyNames(const std::wstring& keyPath) {
  std::vector<std::wstring> names;
  win::RegistryKey key = OpenKey(root_, keyPath, access_);
  if (!key) return names;
  for (DWORD index = 0;; ++index) {
    wchar_t name[kKeyNameCapacity];
    DWORD length = kKeyNameCapacity;
    if (RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

std::optional<std::wstring> RegistryViewReader::JavaHomeValue(const std::wstring& keyPath) {
  return ValueText(keyPath, L"JavaHome", false);
}

std::optional<std::wstring> RegistryViewReader::StringValue(const std::wstring& keyPath,
                                                          const std::wstring& valueName) {
  std::optional<std::wstring> text = ValueText(keyPath, valueName.c_str(), true);
  if (!text) return std::nullopt;
  return std::wstring(text->c_str());  // up to the first NUL
}

std::optional<std::wstring> RegistryViewReader::ValueText(const std::wstring& keyPath, const wchar_t* valueName,
                                                          bool stringsOnly) {
  win::RegistryKey key = OpenKey(root_, keyPath, access_);
  if (!key) return std::nullopt;
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0) {
    return std::nullopt;
  }
  if (stringsOnly && (type != REG_SZ || size > (kLongestHome + 1) * sizeof(wchar_t))) return std::nullopt;
  // Whole characters for an odd byte count; the value need not end in a NUL.
  std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
  DWORD read = size;
  if (RegQueryValueExW(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &read) !=
          ERROR_SUCCESS ||
      read > size || (stringsOnly && type != REG_SZ)) {
    return std::nullopt;
  }
  return std::wstring(data.data(), (read + 1) / sizeof(wchar_t));
}

}  // namespace runtime
