// An option text as the VM gets it: narrow, in the thread's ANSI code page.
#pragma once

#include <string>

namespace jvm {

// A path list option's entries in the form the code page can carry
// (AnsiSafeOption); a text that still loses characters on the way is logged.
std::string VmOptionText(const std::wstring& option);

}  // namespace jvm
