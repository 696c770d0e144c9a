// The diagnostics log's account of a layered lookup: which layers hold the
// key. Runs only while the log is on, so the second look-up costs nothing
// otherwise.
#include "config/settings_store.h"
#include "report/diagnostics_log.h"

namespace config {

void SettingsStore::LogLookup(const std::wstring& section, const std::wstring& key, const std::wstring& value) const {
  const bool embedded = embedded_.Find(section, key).has_value();
  const bool file = !FileValue(section, key).empty();
  const bool plus = !file && !FileValue(section + L"+", key).empty();
  const wchar_t* layers = file       ? L"file"
                          : embedded ? (plus ? L"embedded, + section" : L"embedded")
                          : plus     ? L"+ section"
                                     : L"unset";
  diag::Log({L"setting [", section, L"] ", key, L" = \"", value, L"\" (", layers, L")"});
}

}  // namespace config
