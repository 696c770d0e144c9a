// The diagnostics log: when the environment variable VORN_LAUNCHER_LOG names a
// file, the launcher appends the story of its run to it, one UTF-8 line per
// fact. When the variable is not set (or the file cannot be written) every
// call returns at once.
#pragma once

#include <initializer_list>
#include <string_view>

namespace diag {

// Whether this run writes a log; decided once, on the first call. Callers
// check it before composing texts that cost work.
bool Enabled();

// Appends one line made of the pieces (an end of line is added).
void Log(std::initializer_list<std::wstring_view> pieces);

}  // namespace diag
