// The two text-splitting rules used everywhere in the launcher.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace text {

// Appends the pieces of `text` to `out`. Only U+0020 separates pieces (runs
// count as one); a piece that starts with a double quote runs to the next
// double quote, both dropped, or to the end when there is none. There is no
// escape character. An empty text gives no pieces.
void SplitArguments(std::wstring_view text, std::vector<std::wstring>& out);

// Appends the arguments of a command line (all but its program name) as the
// system's own parser (CommandLineToArgvW) gives them: spaces and tabs
// separate outside double quotes; 2n backslashes before a double quote give
// n and the quote opens or closes, 2n+1 give n and a literal quote; other
// backslashes are ordinary; "" inside double quotes gives one literal quote
// and ends the quoted part. A console program's arguments, as every other one gets them.
void SplitLikeSystem(std::wstring_view commandLine, std::vector<std::wstring>& out);

// Clears `out` and fills it with the pieces between occurrences of
// `separator`: "a;;b" gives a, "", b; "a;b;" gives a, b; "" gives nothing.
void SplitBySeparator(std::vector<std::wstring>& out, std::wstring_view text, std::wstring_view separator);

}  // namespace text
