#include "config/settings_store.h"

#include <windows.h>

#include <vector>

namespace config {

std::wstring ReadFileValue(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
  // The reader cuts values that do not fit: grow until the value fits.
  std::vector<wchar_t> buffer(256);
  for (;;) {
    DWORD count = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer.data(),
                                           static_cast<DWORD>(buffer.size()), file.c_str());
    if (count != buffer.size() - 1) return std::wstring(buffer.data(), count);
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

void WriteFileValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                    const std::wstring& value) {
  // The profile writer makes new files in the ANSI code page, which would turn
  // a folder name outside it into question marks. A new file is started as
  // UTF-16 with a byte-order mark instead; the writer keeps that form.
  HANDLE created = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (created != INVALID_HANDLE_VALUE) {
    const unsigned char bom[2] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(created, bom, sizeof bom, &written, nullptr);
    CloseHandle(created);
  }
  WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str());
}

void SettingsStore::Open(const std::wstring& path, const std::wstring& embeddedText) {
  path_ = path;
  embedded_.Parse(embeddedText);
}

std::wstring SettingsStore::Lookup(const std::wstring& section, const std::wstring& key) const {
  std::wstring result = embedded_.Find(section, key).value_or(std::wstring());
  std::wstring fileValue = ReadFileValue(path_, section, key);
  if (!fileValue.empty()) return fileValue;
  std::wstring extension = ReadFileValue(path_, section + L"+", key);
  if (!extension.empty()) {
    if (extension[0] != L' ') result += L' ';
    result += extension;
  }
  return result;
}

}  // namespace config
