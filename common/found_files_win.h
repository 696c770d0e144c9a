// The entries a FindFirstFileW pattern matches, one at a time: the one loop
// over a folder's names that the runtime search, the startup cache and the
// class path share.
#pragma once

#include <windows.h>

#include <string_view>

#include "common/win_handles.h"

namespace win {

class FoundFiles {
 public:
  explicit FoundFiles(const wchar_t* pattern);
  // Steps to the next entry (the first call to the first); false when there is none.
  bool Next();
  const WIN32_FIND_DATAW& entry() const { return data_; }
  // The entry's name (no folder).
  std::wstring_view name() const { return data_.cFileName; }
  // The entry is a folder, and not "." or "..".
  bool IsSubfolder() const;

 private:
  WIN32_FIND_DATAW data_;
  FindHandle find_;
  bool first_ = true;
};

// True when FindFirstFileW finds the path (handle closed at once).
bool PathFound(const wchar_t* path);

}  // namespace win
