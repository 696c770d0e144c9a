// Paths handed to the virtual machine in the ANSI code page. An entry of the
// class path, the library path or the module path that the code page cannot carry (a Japanese
// user name on a Western Windows) would reach the virtual machine as question
// marks and name no file; its short (8.3) form, when the code page carries
// that, names the same file. Plain text work: the conversion test and the
// short-path lookup come in as functions.
#pragma once

#include <string>
#include <string_view>

namespace jvm {

// Whether a text converts to the ANSI code page and back unchanged.
using CleanConversion = bool (*)(std::wstring_view);
// The short form of a path; empty when there is none.
using ShortPathLookup = std::wstring (*)(const std::wstring&);

// The path as it stands when it converts cleanly; else its short form when
// that converts cleanly; else the path as it stands.
std::wstring AnsiSafePath(const std::wstring& path, CleanConversion converts, ShortPathLookup shortPath);

// A "-Djava.class.path=", "-Djava.library.path=" or "--module-path=" option with every
// ";"-separated entry made AnsiSafePath; any other option as it stands.
std::wstring AnsiSafeOption(std::wstring_view option, CleanConversion converts, ShortPathLookup shortPath);

}  // namespace jvm
