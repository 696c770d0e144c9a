#include "runtime/runtime_search.h"

#include "common/win_handles.h"
#include "config/settings_paths.h"

namespace runtime {
namespace {

// Registry key names have at most 255 characters.
constexpr DWORD kKeyNameCapacity = 256;

win::RegistryKey OpenKey(const std::wstring& keyPath, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, access, &key) != ERROR_SUCCESS) return {};
  return win::RegistryKey(key);
}

}  // namespace

bool DiskFileProbe::Exists(const std::wstring& path) const { return win::PathFound(path.c_str()); }

RegistryViewReader::RegistryViewReader(RegistryView view)
    : access_(view == RegistryView::Bits32 ? KEY_READ | KEY_WOW64_32KEY : KEY_READ) {}

std::vector<std::wstring> RegistryViewReader::SubkeyNames(const std::wstring& keyPath) {
  std::vector<std::wstring> names;
  win::RegistryKey key = OpenKey(keyPath, access_);
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
  win::RegistryKey key = OpenKey(keyPath, access_);
  if (!key) return std::nullopt;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), L"JavaHome", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  if (size == 0) return std::nullopt;
  // Whole characters for an odd byte count; the value need not end in a NUL.
  std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
  DWORD read = size;
  if (RegQueryValueExW(key.get(), L"JavaHome", nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &read) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  if (read > size) return std::nullopt;
  return std::wstring(data.data(), (read + 1) / sizeof(wchar_t));
}

std::optional<std::wstring> FindPrivateRuntime(HWND owner, const FileProbe& files) {
  std::optional<std::wstring> executable = config::GetExecutablePath(owner);
  if (!executable) return std::nullopt;
  return PrivateRuntimeHome(*executable, files);
}

}  // namespace runtime
