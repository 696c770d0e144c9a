#include "common/folders.h"

#include <windows.h>

#include "common/found_files_win.h"
#include "common/path_text.h"
#include "common/text_win.h"
#include "common/win_handles.h"

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
    const size_t previousEnd = folder.size();
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
    if (i > 1 && createdPrevious) {
      folder.resize(previousEnd);
      RemoveDirectoryW(folder.c_str());
    }
    return error;
  }
  return 0;
}

}  // namespace folders
