// The settings file beside the executable, read through three layers: the
// embedded settings, the file itself, and the file's "+" section.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/embedded_settings.h"

namespace config {

// The whole file (up to 1 GB), empty when it cannot be read. With `most`,
// no more than its first `most` bytes: a caller that bounds a file learns it
// is too large without holding all of it.
std::string ReadFileBytes(const std::wstring& file, std::size_t most = SIZE_MAX);
// UTF-8 bytes as text; each invalid sequence becomes U+FFFD.
std::wstring FromUtf8(std::string_view bytes);
// The text of a settings file, read and decoded as the profile reader does;
// empty when the file cannot be read.
std::wstring ReadProfileText(const std::wstring& file);
// One key of a file that is read for that key alone; empty when missing.
std::wstring ReadFileValue(const std::wstring& file, const wchar_t* section, const wchar_t* key);
// One write of one key through the profile-file writer, in paths of any
// length. False, logged, when it fails; a file it made is then removed and an
// existing one left as it was.
bool WriteFileValue(const std::wstring& file, const wchar_t* section, const wchar_t* key, const std::wstring& value);

// The value of the lower layers extended by the text of the "+" section: the
// text as it stands when there is no value yet; else joined with ";" for a
// list (none added when the value already ends with one) and with one space
// otherwise (none added when the text begins with one).
std::wstring ExtendValue(std::wstring value, std::wstring_view extension, bool list);

// The settings of one stage: the file is read once when the store is opened,
// and every key the stage reads comes from that text. The next stage opens
// its own store and so sees the file as it is then.
class SettingsStore {
 public:
  SettingsStore() = default;
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;
  // Logs the keys this stage read that no layer sets, in one line.
  ~SettingsStore();

  void Open(const std::wstring& path, const std::wstring& embeddedText = {});
  // The embedded layer, for a stage that needs file values to find it.
  void SetEmbeddedText(const std::wstring& embeddedText) { embedded_.Parse(embeddedText); }

  // A key of the catalogue as the catalogue says it is read: a layered one's
  // embedded value, replaced by a non-empty file value, or else extended by
  // the value of the section named `section` + "+" (ExtendValue); any other
  // key's file value alone (no embedded layer, no "+" section). The names
  // are the literals of settings_keys.h: the x64 calling convention passes a
  // view as a copy in memory, which each of the many callers would make.
  std::wstring Lookup(const wchar_t* section, const wchar_t* key) const;

  const std::wstring& path() const { return path_; }
  // The file's text, as it was read when the store was opened.
  const std::wstring& fileText() const { return fileText_; }

 private:
  // The layers that set a key.
  struct Layers {
    bool embedded = false;
    bool file = false;
    bool plus = false;
  };
  // Writes the value and the layers it came from to the diagnostics log; a
  // key no layer sets joins `unset_` instead.
  void LogLookup(std::wstring_view section, std::wstring_view key, const std::wstring& value, Layers layers) const;

  std::wstring FileValue(std::wstring_view section, std::wstring_view key) const;

  std::wstring path_;
  std::wstring fileText_;
  EmbeddedSettings embedded_;
  // "[Section] Key, Key; [Section] Key": the keys read that no layer sets.
  mutable std::wstring unset_;
  mutable std::wstring unsetSection_;
};

}  // namespace config
