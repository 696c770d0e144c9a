#include "config/settings_store.h"

#include <windows.h>

#include "common/path_text.h"
#include "common/text_win.h"
#include "common/win_handles.h"
#include "config/profile_text.h"
#include "config/settings_keys.h"
#include "report/diagnostics_log.h"

namespace config {

namespace {

// The whole file, empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& file) {
  win::FileHandle handle(CreateFileW(text::LongPathForm(file).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!handle || !GetFileSizeEx(handle.get(), &size) || size.QuadPart > (1 << 30)) return {};
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() && !ReadFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    return {};
  }
  bytes.resize(read);
  return bytes;
}

std::wstring FromUtf8(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, out.data(), n);
  return out;
}

}  // namespace

std::wstring ReadProfileText(const std::wstring& file) {
  return DecodeProfileBytes(ReadFileBytes(file), text::FromThreadAnsi, FromUtf8);
}

std::wstring ReadFileValue(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
  return FindProfileValue(ReadProfileText(file), section, key);
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

bool IsListKey(std::wstring_view section, std::wstring_view key) {
  if (section == keys::kClassPathSection) return key == keys::kClassPath;
  if (section != keys::kJavaRuntime) return false;
  return key == keys::kSystemPath || key == keys::kLibraryPath || key == keys::kPreferredVersions;
}

std::wstring ExtendValue(std::wstring value, std::wstring_view extension, bool list) {
  if (extension.empty()) return value;
  // With nothing beneath it, a separator would only damage the value: a
  // leading space is part of a class name, a leading ";" an empty entry.
  if (!value.empty()) {
    if (list) {
      if (value.back() != L';') value += L';';
    } else if (extension.front() != L' ') {
      value += L' ';
    }
  }
  value += extension;
  return value;
}

void SettingsStore::Open(const std::wstring& path, const std::wstring& embeddedText) {
  path_ = path;
  fileText_ = ReadProfileText(path);
  embedded_.Parse(embeddedText);
}

std::wstring SettingsStore::Lookup(const std::wstring& section, const std::wstring& key) const {
  std::wstring value = LayeredValue(section, key);
  if (diag::Enabled()) LogLookup(section, key, value);
  return value;
}

std::wstring SettingsStore::FileValue(const std::wstring& section, const std::wstring& key) const {
  return FindProfileValue(fileText_, section, key);
}

std::wstring SettingsStore::LayeredValue(const std::wstring& section, const std::wstring& key) const {
  std::wstring result = embedded_.Find(section, key).value_or(std::wstring());
  std::wstring fileValue = FileValue(section, key);
  if (!fileValue.empty()) return fileValue;
  return ExtendValue(std::move(result), FileValue(section + L"+", key), IsListKey(section, key));
}

}  // namespace config
