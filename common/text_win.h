// Text conversions and environment expansion that need Windows.
#pragma once

#include <string>
#include <string_view>

namespace text {

// Wide to 8-bit in the calling thread's ANSI code page; unmappable characters
// become the code page's default character.
std::string ToThreadAnsi(std::wstring_view s);
// Wide to UTF-8.
std::string ToUtf8(std::wstring_view s);
// Whether the text comes back unchanged from the thread's ANSI code page.
bool ConvertsToThreadAnsi(std::wstring_view s);
// The short (8.3) form of an existing path; empty when there is none.
std::wstring ShortPathName(const std::wstring& path);
// 8-bit in the thread's ANSI code page to wide.
std::wstring FromThreadAnsi(std::string_view s);
// %NAME% references replaced by the values of the process's variables
// (ExpandReferences), at any length: nothing is cut.
std::wstring ExpandEnvironment(std::wstring_view s);
// The full path of `path` (relative ones resolved against the current
// directory); the path as it stands when it cannot be resolved.
std::wstring FullPath(const std::wstring& path);
// An environment variable, empty when it is not set.
std::wstring GetEnvironment(const wchar_t* name);

}  // namespace text
