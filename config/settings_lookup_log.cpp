// The diagnostics log's account of a layered lookup: which layers hold the
// key. The many keys an application leaves alone share one line.
#include "config/settings_store.h"
#include "report/diagnostics_log.h"

namespace config {

void SettingsStore::LogLookup(std::wstring_view section, std::wstring_view key, const std::wstring& value,
                              Layers layers) const {
  const auto [embedded, file, plus] = layers;
  if (!file && !embedded && !plus) {
    if (section == unsetSection_) {
      unset_ += L", ";
    } else {
      unset_.append(unset_.empty() ? L"[" : L"; [").append(section).append(L"] ");
      unsetSection_ = section;
    }
    unset_ += key;
    return;
  }
  const char* from = file       ? "file"
                       : embedded ? (plus ? "embedded, + section" : "embedded")
                                  : "+ section";
  diag::Log({"setting [", section, "] ", key, " = \"", value, "\" (", from, ")"});
}

SettingsStore::~SettingsStore() {
  if (!unset_.empty()) diag::Log({"settings not set: ", unset_});
}

}  // namespace config
