#include "common/found_files_win.h"

#include <string_view>
#include <utility>

namespace win {

FoundFiles::FoundFiles(const wchar_t* pattern) : find_(FindFirstFileW(pattern, &data_)) {}

bool FoundFiles::Next() {
  if (!find_) return false;
  if (std::exchange(first_, false)) return true;
  return FindNextFileW(find_.get(), &data_);
}

bool FoundFiles::IsSubfolder() const {
  const std::wstring_view name = data_.cFileName;
  return (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != L"." && name != L"..";
}

bool PathFound(const wchar_t* path) { return FoundFiles(path).Next(); }

}  // namespace win
