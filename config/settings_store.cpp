#include "config/settings_store.h"

#include <windows.h>

#include <algorithm>

#include "common/path_text.h"
#include "common/text_win.h"
#include "common/win_handles.h"
#include "config/profile_text.h"
#include "config/settings_catalogue.h"
#include "config/settings_keys.h"
#include "report/diagnostics_log.h"

namespace config {

std::string ReadFileBytes(const std::wstring& file, std::size_t most) {
  win::FileHandle handle(CreateFileW(text::LongPathForm(file).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!handle || !GetFileSizeEx(handle.get(), &size)) return {};
  const std::uint64_t wanted = std::min<std::uint64_t>(size.QuadPart, most);
  if (wanted > (1 << 30)) return {};
  std::string bytes(static_cast<size_t>(wanted), '\0');
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

namespace {

// One write through the profile writer, for a path it can open. The writer
// makes new files in the ANSI code page, which would turn a folder name
// outside it into question marks: a new file is started as UTF-16 with a
// byte-order mark instead, and the writer keeps that form. A new file the
// writer could not fill is removed: without the value it would hide the key's
// other sources.
bool WriteProfileValue(const wchar_t* file, const wchar_t* section, const wchar_t* key,
                       const std::wstring& value) {
  bool created = false;
  {
    win::FileHandle handle(CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    const unsigned char bom[2] = {0xFF, 0xFE};
    DWORD done = 0;
    created = handle && WriteFile(handle.get(), bom, sizeof bom, &done, nullptr);
  }
  if (WritePrivateProfileStringW(section, key, value.c_str(), file)) return true;
  if (created) DeleteFileW(file);
  return false;
}

}  // namespace

std::wstring ReadProfileText(const std::wstring& file) {
  return DecodeProfileBytes(ReadFileBytes(file), text::FromThreadAnsi, FromUtf8);
}

std::wstring ReadFileValue(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  return FindProfileValue(ReadProfileText(file), section, key);
}

bool WriteFileValue(const std::wstring& file, const wchar_t* section, const wchar_t* key, const std::wstring& value) {
  // Beyond the profile writer's reach a copy in the temporary folder is
  // written and then moved over the file, which stays as it was when any step
  // fails.
  const bool longPath = file.size() >= MAX_PATH;
  wchar_t folder[MAX_PATH + 1], temporary[MAX_PATH] = L"";
  const std::wstring target = text::LongPathForm(file);
  bool written =
      !longPath || (GetTempPathW(MAX_PATH + 1, folder) && GetTempFileNameW(folder, L"", 0, temporary) &&
                    DeleteFileW(temporary) &&
                    (CopyFileW(target.c_str(), temporary, TRUE) || GetLastError() == ERROR_FILE_NOT_FOUND));
  written = written &&
            WriteProfileValue(longPath ? temporary : file.c_str(), section, key, value) &&
            (!longPath || MoveFileExW(temporary, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
  if (!written) {
    DeleteFileW(temporary);  // none made: an empty name deletes nothing
    diag::Log({"cannot write ", file});
  }
  return written;
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

std::wstring SettingsStore::Lookup(const wchar_t* sectionName, const wchar_t* keyName) const {
  const std::wstring_view section = sectionName, key = keyName;
  Layers layers;
  const CatalogueKey* known = FindCatalogueKey(section, key);
  std::wstring value = FileValue(section, key);
  layers.file = !value.empty();
  // A key the catalogue does not layer has its file value alone.
  if (known == nullptr || known->layered) {
    std::optional<std::wstring> embedded = embedded_.Find(section, key);
    layers.embedded = embedded.has_value();
    if (!layers.file) {
      const std::wstring extension = FileValue(std::wstring(section) + L'+', key);
      layers.plus = !extension.empty();
      value = ExtendValue(std::move(embedded).value_or(std::wstring()), extension, known != nullptr && known->list);
    }
  }
  if (diag::Enabled()) LogLookup(section, key, value, layers);
  return value;
}

std::wstring SettingsStore::FileValue(std::wstring_view section, std::wstring_view key) const {
  return FindProfileValue(fileText_, section, key);
}

}  // namespace config
