// Text rules shared by the whole launcher. Plain C++, no Windows calls.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// Space, tabs, line feed, form feed, carriage return and every other character
// the wide-character classification counts as a space.
bool IsSpace(wchar_t c);
std::wstring Trim(std::wstring_view s);

bool StartsWith(std::wstring_view s, std::wstring_view prefix);
bool EndsWith(std::wstring_view s, std::wstring_view suffix);
// Letter case ignored (ASCII and Latin letters through towlower).
bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b);
std::wstring ReplaceAll(std::wstring s, wchar_t from, wchar_t to);

// Decimal text of a number (the standard library's formatting would bring the
// whole printf machinery into the executable).
std::wstring DecimalText(std::int64_t value);
std::wstring DecimalText(std::uint64_t value);
// The number that `digits` (decimal digits alone, at least one) stand for, when
// it is at most `most`; none otherwise.
std::optional<std::uint64_t> DecimalValue(std::wstring_view digits, std::uint64_t most);

// Fills a message format: each "%s" takes the next text, each "%d" the next
// number, "%%" is a percent sign. Missing arguments give empty text / 0.
std::wstring FormatMessageText(std::wstring_view format, std::initializer_list<std::wstring_view> texts,
                               std::initializer_list<std::int32_t> numbers = {});

// Decodes the modified UTF-8 that JNI hands out into wide text.
std::wstring FromModifiedUtf8(std::string_view bytes);

}  // namespace text
