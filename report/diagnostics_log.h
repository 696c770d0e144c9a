// The diagnostics log: when the environment variable VORN_LAUNCHER_LOG names a
// file, the launcher appends the story of its run to it, one UTF-8 line per
// fact, the first of a run naming its time, process, executable and the
// launcher's version. When the variable is not set (or the file cannot be
// written) every call returns at once.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace diag {

// Whether this run writes a log; decided once, on the first call. Callers
// check it before composing texts that cost work.
bool Enabled();

// Appends one line made of the pieces (an end of line is added), its control
// characters escaped.
void Log(std::initializer_list<std::wstring_view> pieces);

// The text with each control character (C0, C1, and the line and paragraph
// separators) written as "\n", "\r", "\t" or "\uHHHH": a logged value, an
// argument holding a line break say, cannot forge a line of its own.
std::wstring EscapeControls(std::wstring_view text);

}  // namespace diag
