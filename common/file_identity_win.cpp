#include "common/file_identity_win.h"

#include "common/expansion.h"
#include "common/win_handles.h"

namespace win {

std::wstring FinalPath(HANDLE handle) {
  std::wstring path(text::kLongestPath + 1, L'\0');
  const DWORD size = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
  path.resize(size < path.size() ? size : 0);
  return path;
}

bool IsPlainFileAt(HANDLE file, const std::wstring& path) {
  const std::size_t slash = path.rfind(L'\\');
  FileHandle folder(CreateFileW(path.substr(0, slash).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!folder || !GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    return false;
  }
  const std::wstring expected = FinalPath(folder.get()) + path.substr(slash), found = FinalPath(file);
  return !found.empty() && CompareStringOrdinal(found.c_str(), static_cast<int>(found.size()), expected.c_str(),
                                                static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
}

bool IsPlainFile(const std::wstring& path) {
  FileHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return file && IsPlainFileAt(file.get(), path);
}

}  // namespace win
