#include "common/found_files_win.h"

#include <utility>

namespace win {

FoundFiles::FoundFiles(const wchar_t* pattern) : find_(FindFirstFileW(pattern, &data_)) {}

bool FoundFiles::Next() {
  if (!find_) return false;
  if (std::exchange(first_, false)) return true;
  return FindNextFileW(find_.get(), &data_);
}

bool FoundFiles::IsSubfolder() const {
  // "." and "..", the folder itself and its parent, by their characters: a
  // comparison of views costs several times the code.
  const wchar_t* name = data_.cFileName;
  const bool dots = name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
  return (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !dots;
}

bool PathFound(const wchar_t* path) { return FoundFiles(path).Next(); }

}  // namespace win
