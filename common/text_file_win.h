// A small text file written whole: the update's journal and its "failed"
// file, the startup cache's refusal marker.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace win {

// `text` in UTF-8 as the file (at its end with OPEN_EXISTING; only as a new
// file with CREATE_NEW), on the disk before this returns. False when a step
// fails.
bool WriteTextFile(const std::wstring& file, std::wstring_view text, DWORD disposition = CREATE_ALWAYS);

}  // namespace win
