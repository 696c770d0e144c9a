#include "config/settings_store.h"

#include <windows.h>

#include <cwctype>
#include <vector>

#include "common/text.h"
#include "config/settings_keys.h"
#include "report/diagnostics_log.h"

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

std::wstring SettingsStore::Lookup(const std::wstring& section, const std::wstring& key) const {
  std::wstring value = LayeredValue(section, key);
  if (diag::Enabled()) LogLookup(section, key, value);
  return value;
}

std::wstring SettingsStore::LayeredValue(const std::wstring& section, const std::wstring& key) const {
  std::wstring result = embedded_.Find(section, key).value_or(std::wstring());
  std::wstring fileValue = MayHoldSection(section) ? ReadFileValue(path_, section, key) : std::wstring();
  if (!fileValue.empty()) return fileValue;
  std::wstring plusSection = section + L"+";
  std::wstring extension = MayHoldSection(plusSection) ? ReadFileValue(path_, plusSection, key) : std::wstring();
  return ExtendValue(std::move(result), extension, IsListKey(section, key));
}

}  // namespace config
