// The user's own VM options file: whether it may be read, and the options its
// bytes hold. Plain text work; the file and the process token are read by
// jvm/user_vm_options_win.cpp.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace jvm {

inline constexpr std::size_t kMostUserVmOptions = 1000;
inline constexpr std::size_t kLargestUserVmOptionsFile = 64 * 1024;

// Why the file is not read; null when it may be. It is read only when the
// developer turned "User VM Options" on ("Yes", any case), and never for a
// service or an elevated process: their options must not come from a file
// that the user's ordinary processes can write.
const wchar_t* UserVmOptionsRefusal(std::wstring_view setting, bool isService, bool elevated);

// The options of the file's bytes: UTF-8 (with or without its byte-order
// mark) or UTF-16 after its byte-order mark; one option per line, trimmed;
// empty lines and lines starting with "#" skipped. `problem` names why none
// are used: a file beyond the bounds above, malformed text, a NUL.
struct UserVmOptions {
  std::vector<std::wstring> options;
  const wchar_t* problem = nullptr;
};
UserVmOptions ParseUserVmOptions(std::string_view bytes);

// The user's file beside the per-user settings file: the same path with
// "vmoptions" for its "ini".
std::wstring UserVmOptionsPathFor(std::wstring_view perUserSettingsPath);

}  // namespace jvm
