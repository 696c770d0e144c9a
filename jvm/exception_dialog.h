// The modal "Java Exception" dialog: the stack trace of an exception that
// escaped the application's main method, with Ignore and Stop.
#pragma once

#include <windows.h>

#include <string>

namespace jvm {

// Shows the dialog owned by `owner` and returns what ended it: IDOK (1) for
// Ignore or Enter, IDCANCEL (2) for Stop, Escape or the close box, -1 when it
// could not be created.
INT_PTR ShowExceptionDialog(HWND owner, const std::wstring& stackTrace);

}  // namespace jvm
