#include "config/settings_store.h"

#include <windows.h>

#include <cwctype>
#include <vector>

#include "common/path_text.h"
#include "common/text.h"
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

}  // namespace

std::wstring ReadFileValue(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  // The profile reader cannot open a file whose path is MAX_PATH or longer.
  if (file.size() >= MAX_PATH) {
    const std::wstring content = DecodeProfileBytes(ReadFileBytes(file), text::FromThreadAnsi);
    return FindProfileValue(content, section, key).value_or(std::wstring());
  }
  // The reader cuts values that do not fit: grow until the value fits.
  std::vector<wchar_t> buffer(256);
  for (;;) {
    DWORD count = GetPrivateProfileStringW(section, key, L"", buffer.data(),
                                           static_cast<DWORD>(buffer.size()), file.c_str());
    if (count != buffer.size() - 1) return std::wstring(buffer.data(), count);
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

void WriteFileValue(const std::wstring& file, const wchar_t* section, const wchar_t* key,
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
  WritePrivateProfileStringW(section, key, value.c_str(), file.c_str());
}

bool IsListKey(std::wstring_view section, std::wstring_view key) {
  if (section == keys::kClassPathSection) return key == keys::kClassPath || key == keys::kModulePath;
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

namespace {

std::wstring Folded(std::wstring_view name) {
  std::wstring out = text::Trim(name);
  for (auto& c : out) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return out;
}

}  // namespace

void SettingsStore::Open(const std::wstring& path, const std::wstring& embeddedText) {
  path_ = path;
  embedded_.Parse(embeddedText);
  // The section names of the file, as a list of NUL-terminated names; grown
  // until the list fits.
  fileSections_.clear();
  sectionsKnown_ = false;
  if (path.size() >= MAX_PATH) return;  // beyond the profile reader: every section is read
  std::vector<wchar_t> buffer(1024);
  for (;;) {
    DWORD count = GetPrivateProfileSectionNamesW(buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
    if (count + 2 < buffer.size()) {
      for (size_t i = 0; i < count && buffer[i] != L'\0'; i += wcslen(&buffer[i]) + 1) {
        fileSections_.push_back(Folded(&buffer[i]));
      }
      sectionsKnown_ = true;
      return;
    }
    if (buffer.size() >= (1u << 24)) return;  // unknown: every section is read
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

bool SettingsStore::MayHoldSection(const std::wstring& section) const {
  if (!sectionsKnown_) return true;
  std::wstring folded = Folded(section);
  for (const auto& name : fileSections_) {
    if (name == folded) return true;
  }
  return false;
}

std::wstring SettingsStore::Lookup(const wchar_t* sectionName, const wchar_t* keyName) const {
  const std::wstring section(sectionName), key(keyName);
  std::wstring value = LayeredValue(section, key);
  if (diag::Enabled()) LogLookup(section, key, value);
  return value;
}

std::wstring SettingsStore::LayeredValue(const std::wstring& section, const std::wstring& key) const {
  std::wstring result = embedded_.Find(section, key).value_or(std::wstring());
  std::wstring fileValue = MayHoldSection(section) ? ReadFileValue(path_, section.c_str(), key.c_str()) : std::wstring();
  if (!fileValue.empty()) return fileValue;
  std::wstring plusSection = section + L"+";
  std::wstring extension =
      MayHoldSection(plusSection) ? ReadFileValue(path_, plusSection.c_str(), key.c_str()) : std::wstring();
  return ExtendValue(std::move(result), extension, IsListKey(section, key));
}

}  // namespace config
