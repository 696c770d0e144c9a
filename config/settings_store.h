// The settings file beside the executable, read through three layers: the
// embedded settings, the file itself, and the file's "+" section.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/embedded_settings.h"

namespace config {

// One read of one key through the profile-file reader; empty when missing.
std::wstring ReadFileValue(const std::wstring& file, const wchar_t* section, const wchar_t* key);
// One write through the profile-file writer; its result is not needed.
void WriteFileValue(const std::wstring& file, const wchar_t* section, const wchar_t* key,
                    const std::wstring& value);

// The keys whose values are ";"-separated lists ("Class Path", "Module Path", "System Path",
// "Library Path", "Preferred versions").
bool IsListKey(std::wstring_view section, std::wstring_view key);

// The value of the lower layers extended by the text of the "+" section: the
// text as it stands when there is no value yet; else joined with ";" for a
// list (none added when the value already ends with one) and with one space
// otherwise (none added when the text begins with one).
std::wstring ExtendValue(std::wstring value, std::wstring_view extension, bool list);

class SettingsStore {
 public:
  void Open(const std::wstring& path, const std::wstring& embeddedText);

  // Embedded value, replaced by a non-empty file value, or else extended by
  // the value of the section named `section` + "+" (ExtendValue). The names
  // are the catalogue's constants: the texts are made here, once, not at
  // every call.
  std::wstring Lookup(const wchar_t* section, const wchar_t* key) const;

  const std::wstring& path() const { return path_; }

 private:
  // Whether the file may hold `section`: reads of sections it lacks are
  // skipped, since each read of the profile reader parses the file anew.
  bool MayHoldSection(const std::wstring& section) const;
  std::wstring LayeredValue(const std::wstring& section, const std::wstring& key) const;
  // Writes the value and the layers it came from to the diagnostics log.
  void LogLookup(const std::wstring& section, const std::wstring& key, const std::wstring& value) const;

  std::wstring path_;
  EmbeddedSettings embedded_;
  std::vector<std::wstring> fileSections_;  // trimmed, lower case
  bool sectionsKnown_ = false;
};

}  // namespace config
