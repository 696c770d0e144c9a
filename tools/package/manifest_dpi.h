// The DPI awareness the application manifest declares. By default the
// launcher declares none: the Java runtime sets its own.
#pragma once

#include <string>

namespace package {

enum class DpiAwareness { None, System, PerMonitor };

// The manifest text with any DPI declaration of the "windowsSettings" block
// replaced by the one for `awareness` (none: no DPI declaration); a long-path
// declaration there is kept. False when
// the text has no closing "</assembly>".
bool SetDpiAwareness(std::string& manifest, DpiAwareness awareness);

}  // namespace package
