#include "common/folders.h"

#include <windows.h>

#include "common/splitting.h"
#include "common/text_win.h"
#include "common/win_handles.h"

namespace text {

std::vector<std::wstring> PathElements(std::wstring_view path) {
  std::wstring prefix;
  std::wstring_view rest = path;
  if (rest.substr(0, 4) == L"\\\\?\\") {
    prefix = L"\\\\?\\";
    rest.remove_prefix(4);
  }
  bool network = rest.size() > 2 && rest[0] == L'\\' && rest[1] == L'\\' && rest[2] != L'?';
  size_t cut = rest.find(L'\\', network ? 2 : 0);
  std::wstring root = prefix + std::wstring(cut == std::wstring_view::npos ? rest : rest.substr(0, cut));
  std::vector<std::wstring> components;
  if (cut != std::wstring_view::npos) SplitBySeparator(components, rest.substr(cut + 1), L"\\");
  // A path that begins with a single "\" keeps an empty root, so its folders
  // are made from the root of the current drive, not from the current folder.
  std::vector<std::wstring> elements;
  elements.push_back(root);
  elements.insert(elements.end(), components.begin(), components.end());
  return elements;
}

}  // namespace text

namespace folders {

std::uint32_t CreateParentFolders(const std::wstring& given) {
  bool absolute = !given.empty() && (given[0] == L'\\' || given.find(L':') != std::wstring::npos);
  // A relative file is opened under the current directory, so its folders are
  // made there too; taken as it stands, its first folder would never be made.
  const std::wstring path = absolute || given.empty() ? given : text::FullPath(given);
  if (win::PathFound(path.c_str())) return 0;

  std::vector<std::wstring> elements = text::PathElements(path);

  std::wstring folder = elements[0];
  bool createdPrevious = false;
  for (size_t i = 1; i + 1 < elements.size(); ++i) {
    std::wstring previous = folder;
    folder += L'\\';
    folder += elements[i];
    if (CreateDirectoryW(folder.c_str(), nullptr)) {
      createdPrevious = true;
      continue;
    }
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
      createdPrevious = false;
      continue;
    }
    // Undo one level, but never remove a folder that was there before us.
    if (i > 1 && createdPrevious) RemoveDirectoryW(previous.c_str());
    return error;
  }
  return 0;
}

}  // namespace folders
