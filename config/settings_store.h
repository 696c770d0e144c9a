// The settings file beside the executable, read through three layers: the
// embedded settings, the file itself, and the file's "+" section.
#pragma once

#include <string>
#include <vector>

#include "config/embedded_settings.h"

namespace config {

// One read of one key through the profile-file reader; empty when missing.
std::wstring ReadFileValue(const std::wstring& file, const std::wstring& section, const std::wstring& key);
// One write through the profile-file writer; its result is not needed.
void WriteFileValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                    const std::wstring& value);

class SettingsStore {
 public:
  void Open(const std::wstring& path, const std::wstring& embeddedText);

  // Embedded value, replaced by a non-empty file value, or else extended by
  // the value of the section named `section` + "+" (with one space between).
  std::wstring Lookup(const std::wstring& section, const std::wstring& key) const;

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
