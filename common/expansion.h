// Environment references (%NAME%) in settings values. Plain C++: the
// variables come in through a lookup, so the rule has no length limit of its
// own (the system's expansion cuts its input at 32,766 characters).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace text {

// The value of a variable, none when it is not set.
using VariableLookup = std::optional<std::wstring> (*)(std::wstring_view name);

// Replaces every %NAME% whose variable is set by its value, scanning left to
// right as Windows does: a "%" that starts no known variable (an unknown or
// empty name, or no closing "%") stays as it is and the scan goes on with the
// character after it, so in "50%;%Path%" the Path is still expanded. A text
// without "%" comes back unchanged.
std::wstring ExpandReferences(std::wstring_view text, VariableLookup lookup);

// The longest value an environment variable can hold, in characters.
inline constexpr std::size_t kLongestVariableValue = 32766;
// The longest path the system can use, in characters.
inline constexpr std::size_t kLongestPath = 32767;

}  // namespace text
