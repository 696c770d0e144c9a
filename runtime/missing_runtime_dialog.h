// The modal "JRE Not Found" dialog: it says which runtime is needed, links to
// a download site and lets the user browse for a runtime folder.
#pragma once

#include <optional>
#include <string>

#include "runtime/missing_runtime_rules.h"
#include "runtime/version_number.h"

namespace runtime {

// String 206 (for `Server`) or 207, filled with the version phrase.
std::wstring ComposeMissingRuntimeMessage(JvmType type, const VersionNumber& minimum, const VersionNumber& maximum);

// Shows the dialog owned by the thread's active window; its link shows and
// opens `downloadAddress`. The browsed folder and
// its library after OK; none after Cancel, Escape, the close box, or when the
// dialog cannot be created. A 32-bit runtime enables OK only with a paired
// product. Never called in a console program.
std::optional<BrowsedRuntime> AskForRuntime(const std::wstring& message, const std::wstring& downloadAddress,
                                            JvmType type, bool hasPairProduct);

}  // namespace runtime
