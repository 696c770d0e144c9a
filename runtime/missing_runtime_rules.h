// What the missing-runtime dialog decides without a window: which message it
// shows, and what a browsed folder offers. Plain C++.
#pragma once

#include <string>
#include <string_view>

#include "runtime/runtime_rules.h"

namespace runtime {

// 206 (a server JVM is needed) for `Server`, 207 otherwise.
unsigned MissingRuntimeMessageId(JvmType type);

// The address the dialog's link shows and opens: "Download URL" (blanks
// around it aside) when it is an http or https address with something after
// the scheme and no blank or control character, the built-in address
// otherwise. A shell "open" of any other scheme could start a program.
std::wstring DownloadAddress(std::wstring_view value);

struct BrowsedRuntime {
  std::wstring folder;   // the browsed path ending in a backslash; empty stays empty
  std::wstring library;  // the jvm.dll found there for the JVM type; empty when none
};

// Whether a library is a 32-bit image (runtime::IsX86Image at the edge).
using X86Test = bool (*)(const std::wstring& library);

// The folder the user browsed to and the runtime library it holds. An empty
// path (a place outside the file system) holds none: it is never read as the
// current directory. A 32-bit library counts only with a paired product to run
// it: this 64-bit process cannot load one.
BrowsedRuntime ExamineBrowsedFolder(const std::wstring& path, JvmType type, const FileProbe& files,
                                    bool hasPairProduct, X86Test isX86);

}  // namespace runtime
