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

// A path setting as the launcher uses it: a relative one ("x86\app32.exe",
// "jre") is taken from the executable's folder and a rooted one ("\jre") from
// its drive or share, so what the launcher starts or loads never depends on
// the current folder (a document's folder, when a document opened the
// application). Empty, drive-qualified ("X:") and UNC paths stay as they are.
std::wstring ResolveFromExecutableFolder(std::wstring_view path, std::wstring_view executablePath);

// "X:\..." or "\\server\...": a path that names the same place whatever the
// current folder is.
bool IsFullPath(std::wstring_view path);

// `path` with its last `count` "\" components removed; a cut without any "\"
// left changes nothing.
std::wstring DropLastComponents(std::wstring_view path, int count);

}  // namespace text
