// A settings file's text read the way the platform's profile reader reads it,
// for files the profile reader cannot open (paths of 260 characters and more).
// Plain C++.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace config {

// The value of `key` in the first section named `section`, none when either
// is missing. Lines end at a line feed; blanks around lines, around section
// names, keys and values are dropped; "[name]" starts a section (up to its
// last "]"); names compare without regard to letter case; one pair of
// matching quotes around a value is removed.
std::optional<std::wstring> FindProfileValue(std::wstring_view text, std::wstring_view section,
                                             std::wstring_view key);

// The file's bytes as text: UTF-16LE after its byte-order mark, UTF-8 after
// its byte-order mark; anything else is passed to `fromAnsi`.
std::wstring DecodeProfileBytes(std::string_view bytes, std::wstring (*fromAnsi)(std::string_view));

}  // namespace config
