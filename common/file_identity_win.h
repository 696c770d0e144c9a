// What an open file really is: the path the system resolves it to, and
// whether it is a plain file where its name says.
#pragma once

#include <windows.h>

#include <string>

namespace win {

// The path the system resolves an open file or folder to; empty when unknown.
std::wstring FinalPath(HANDLE handle);

// Whether an open file is a plain file at `path` itself: not a folder, nor a
// link or other reparse point, nor what one leads to (Wine shows a link to a
// file as that file, which resolves elsewhere).
bool IsPlainFileAt(HANDLE file, const std::wstring& path);

// The same for the file at `path`, opened for the question alone.
bool IsPlainFile(const std::wstring& path);

}  // namespace win
