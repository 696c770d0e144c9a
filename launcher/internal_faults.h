// The launcher's end on an internal fault (internal_faults.cpp).
#pragma once

#include <windows.h>

namespace launcher {

inline constexpr DWORD kNoMemory = 0xC0000017;
inline constexpr DWORD kStringFault = 0xC000001D;

// Raises `code` as a non-continuable exception: the process ends at once.
[[noreturn]] void InternalFault(DWORD code);

}  // namespace launcher
