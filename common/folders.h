// Creating the folders on the way to a file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/path_text.h"

namespace folders {

// Creates the missing folders on the way to `path`; 0 or the first error code.
// A relative path is taken under the current directory. On an error it
// removes the one folder it created in the step before, and only when it
// created that folder itself. Paths that exist are left alone.
std::uint32_t CreateParentFolders(const std::wstring& path);

}  // namespace folders
