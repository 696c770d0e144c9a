// Creating the folders on the way to a file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// The root followed by the path's components ("C:", "logs", "app", "out.txt";
// "\\server", "share", ...), the long-path prefix kept on the root. A path that
// begins with a single "\" has an empty root.
std::vector<std::wstring> PathElements(std::wstring_view path);

}  // namespace text

namespace folders {

// Creates the missing folders on the way to `path`; 0 or the first error code.
// A relative path is taken under the current directory. On an error it
// removes the one folder it created in the step before, and only when it
// created that folder itself. Paths that exist are left alone.
std::uint32_t CreateParentFolders(const std::wstring& path);

}  // namespace folders
