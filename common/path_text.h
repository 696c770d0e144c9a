// Path text rules: a path's root and components, and its long-path form.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace text {

// The root followed by the path's components ("C:", "logs", "app", "out.txt";
// "\\server", "share", ...), the long-path prefix kept on the root. A path that
// begins with a single "\" has an empty root.
std::vector<std::wstring> PathElements(std::wstring_view path);

// The "\\?\" form of a full path, which file calls accept beyond MAX_PATH:
// "C:\x" gives "\\?\C:\x", "\\server\share" gives "\\?\UNC\server\share".
// Other paths (relative ones, those already in that form) stay as they are.
std::wstring LongPathForm(std::wstring_view path);

}  // namespace text
