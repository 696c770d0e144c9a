#include "common/folders.h"

#include <windows.h>

#include "common/win_handles.h"

namespace folders {

std::uint32_t CreateParentFolders(const std::wstring& path) {
  bool absolute = !path.empty() && (path[0] == L'\\' || path.find(L':') != std::wstring::npos);
  if (absolute && win::PathFound(path.c_str())) return 0;

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
