// The staged update's rules: which "Update Folder" is acceptable, and the
// journal that lets a start killed half-way be finished or undone.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace update {

// The files of the update folder that are the update's own, not the
// application's: `ready`, written last by the application, and `failed`.
inline constexpr wchar_t kReadyFile[] = L"ready";
inline constexpr wchar_t kFailedFile[] = L"failed";
// What the file it replaces is renamed to until the update is through.
inline constexpr wchar_t kAsideSuffix[] = L".update-old";

// A path below the executable's folder, in the backslash form: relative, no
// drive, no `.` or `..` step, no empty step, no character Windows refuses in
// a name. None otherwise (an empty value too).
std::optional<std::wstring> RelativePathBelow(std::wstring_view path);

// The journal beside the update folder: a line for each file of the update
// (its path below both folders), written whole before any file moves, then
// "*done" once every file is in place. Which step a file had reached shows in
// the folders themselves.
struct Journal {
  std::vector<std::wstring> files;
  // Every file is in place: what is left is tidying up.
  bool done = false;
};
std::wstring JournalText(const std::vector<std::wstring>& files);
inline constexpr wchar_t kJournalDone[] = L"*done\n";
// Lines that are not whole, or whose path is not one below the folder, are
// passed over: the launcher never acts outside its folder.
Journal ParseJournal(std::wstring_view text);

}  // namespace update
