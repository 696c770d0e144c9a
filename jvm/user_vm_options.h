// The user's own VM options file: whether it may be read, and the options its
// bytes hold. Plain text work; jvm/user_vm_options_win.cpp reads the file and
// the process token.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/profile_text.h"
#include "jvm/vm_options.h"

namespace jvm {

inline constexpr std::size_t kMostUserVmOptions = 1000;
inline constexpr std::size_t kLargestUserVmOptionsFile = 64 * 1024;

// Why the file is not read (words for the log, narrow ASCII as it takes
// them); null when it may be. It is read only when the
// developer turned "User VM Options" on ("Yes", any case), and never for a
// service or an elevated process: their options must not come from a file
// that the user's ordinary processes can write.
const char* UserVmOptionsRefusal(std::wstring_view setting, bool isService, bool elevated);

// Appends the options of the file's bytes to `texts` as AppendVmOption does
// (memory directives expanded, -Xss read): UTF-8 (with or without its
// byte-order mark; `fromUtf8` turns each invalid sequence into U+FFFD) or
// UTF-16 after its byte-order mark; one option per line (lines end at a line
// feed), trimmed; empty lines and lines starting with "#" skipped. Returns
// null, or why none are used (`texts` and `stackSize` then as they were): a
// file beyond the bounds above ("too large"), invalid UTF-8 or a NUL
// ("malformed").
const char* AppendFileVmOptions(std::vector<std::wstring>& texts, std::string_view bytes,
                                   config::ByteDecoder fromUtf8, const MemoryFigures& memory,
                                   std::uint64_t& stackSize);

}  // namespace jvm
