// A settings file's text read the way the platform's profile reader reads it:
// the launcher reads each settings file once per stage and looks up every key
// in that text. Plain C++.
#pragma once

#include <string>
#include <string_view>

namespace config {

// The value of `key` in the first section named `section`; empty when either
// is missing or the key's line has no "=". Lines end at every carriage return
// and line feed; tabs, spaces, the other ASCII control blanks and U+001A
// around lines, section names, keys and values are dropped; "[name]" starts a
// section (up to its last "]"); lines before the first header form a section
// with an empty name; names compare without regard to ASCII letter case and
// end at a U+0000, as values do; one pair of matching quotes around a value
// is removed. There is no comment syntax: ";key=value" is a key ";key".
std::wstring FindProfileValue(std::wstring_view text, std::wstring_view section, std::wstring_view key);

// Calls `visit` with the section and key name of every key line of the text,
// in order, read as FindProfileValue reads them (a line without "=" names a
// key too).
using ProfileKeyVisitor = void (*)(std::wstring_view section, std::wstring_view key);
void VisitProfileKeys(std::wstring_view text, ProfileKeyVisitor visit);

using ByteDecoder = std::wstring (*)(std::string_view bytes);

// The file's bytes as text: UTF-16LE or UTF-16BE after its byte-order mark,
// UTF-8 after its byte-order mark through `fromUtf8`; anything else through
// `fromAnsi`.
std::wstring DecodeProfileBytes(std::string_view bytes, ByteDecoder fromAnsi, ByteDecoder fromUtf8);

}  // namespace config
