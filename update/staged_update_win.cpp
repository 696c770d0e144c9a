#include <windows.h>

#include <vector>

#include "common/file_identity_win.h"
#include "common/folders.h"
#include "common/found_files_win.h"
#include "common/text.h"
#include "common/text_file_win.h"
#include "config/settings_store.h"
#include "report/diagnostics_log.h"
#include "update/staged_update.h"
#include "update/update_rules.h"

namespace update {

namespace {

constexpr DWORD kMissing = INVALID_FILE_ATTRIBUTES;

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }
bool Exists(const std::wstring& path) { return win::PathFound(path.c_str()); }

// A new name for a file; never over another file.
bool Rename(const std::wstring& from, const std::wstring& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
}

// The files and folders below `folder` (`below` is the path so far); false
// at a link anywhere below it, where the update could reach outside.
bool ListBelow(const std::wstring& folder, const std::wstring& below, std::vector<std::wstring>& files,
               std::vector<std::wstring>& folders) {
  win::FoundFiles found((folder + below + L'*').c_str());
  while (found.Next()) {
    const std::wstring_view name = found.name();
    if (name == L"." || name == L"..") continue;
    const std::wstring path = below + found.entry().cFileName, full = folder + path;
    // The search's own attributes do not show every link as one.
    const DWORD attributes = found.entry().dwFileAttributes | Attributes(full);
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return false;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      folders.push_back(path);
      if (!ListBelow(folder, path + L'\\', files, folders)) return false;
    } else if (!win::IsPlainFile(full)) {
      return false;
    } else if (!below.empty() || (name != kReadyFile && name != kFailedFile)) {
      files.push_back(path);
    }
  }
  return true;
}

// The first folder on the way to `relative` below `base` (every step before
// its last backslash) that is a link or a file; none when there is none.
const char* ObstacleOnTheWay(const std::wstring& base, const std::wstring& relative) {
  for (std::size_t slash = relative.find(L'\\'); slash != std::wstring::npos; slash = relative.find(L'\\', slash + 1)) {
    const DWORD on = Attributes(base + relative.substr(0, slash));
    if (on == kMissing) break;
    if ((on & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return "a link on the way";
    if ((on & FILE_ATTRIBUTE_DIRECTORY) == 0) return "a file is in the way";
  }
  return nullptr;
}

// Why a file of the application cannot be replaced; none when it can.
const char* ObstacleAt(const std::wstring& base, const std::wstring& relative) {
  const char* obstacle = ObstacleOnTheWay(base, relative);
  const DWORD at = Attributes(base + relative);
  if (obstacle != nullptr || at == kMissing) return obstacle;
  if ((at & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return "a link";
  if ((at & FILE_ATTRIBUTE_DIRECTORY) != 0) return "a folder is in the way";
  if ((at & FILE_ATTRIBUTE_READONLY) != 0) return "read-only";
  return nullptr;
}

// Why a file did not move; the log has the number of any other error.
const char* ErrorText(DWORD error) {
  if (error == ERROR_SHARING_VIOLATION) return "in use by another program";
  if (error == ERROR_ACCESS_DENIED) return "access denied";
  diag::Log({"update: a file did not move: error ", text::DecimalText(std::uint64_t{error})});
  return "cannot be moved";
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

class StagedUpdate {
 public:
  StagedUpdate(const std::wstring& base, const std::wstring& relativeFolder)
      : base_(base),
        relative_(relativeFolder),
        folder_(base + relativeFolder + L'\\'),
        journal_(base + relativeFolder + L".journal") {}

  // What a killed start left: finished when every file was in place, else
  // every file put back as it was.
  void Recover() {
    if (!Exists(journal_)) return;
    const Journal journal = ParseJournal(config::FromUtf8(config::ReadFileBytes(journal_, 1 << 24)));
    diag::Log({"update: ", journal.done ? "finishing" : "undoing", " the update a start left half-way"});
    if (journal.done) {
      Finish(journal.files);
    } else {
      Undo(journal.files, journal.files.size());
    }
  }

  bool Apply(const std::wstring& executablePath, const std::wstring& settingsFile) {
    if (!Exists(folder_ + kReadyFile)) return false;
    std::vector<std::wstring> files, folders;
    if (ObstacleOnTheWay(base_, relative_ + L'\\') != nullptr || !ListBelow(folder_, L"", files, folders)) {
      return Refuse({}, "the update folder holds or is reached through a link");
    }
    for (const std::wstring& file : files) {
      if (const char* obstacle = ObstacleAt(base_, file)) return Refuse(file, obstacle);
    }
    // The list is on the disk before any file moves. A start killed while
    // writing it leaves a last line that is not whole, which is passed over:
    // no file had moved yet.
    if (!win::WriteTextFile(journal_, JournalText(files))) return Refuse(journal_, "cannot be written");
    bool launcherReplaced = false;
    for (std::size_t i = 0; i < files.size(); ++i) {
      const std::wstring target = base_ + files[i];
      folders::CreateParentFolders(target);
      if ((Exists(target) && !Rename(target, target + kAsideSuffix)) || !Rename(folder_ + files[i], target)) {
        const DWORD error = GetLastError();
        Undo(files, i + 1);
        return Refuse(files[i], ErrorText(error));
      }
      if (SameFile(target, executablePath) || SameFile(target, settingsFile)) launcherReplaced = true;
      diag::Log({"update: replaced ", files[i]});
    }
    win::WriteTextFile(journal_, kJournalDone, OPEN_EXISTING);
    Finish(files);
    diag::Log({"update: applied, ", text::DecimalText(std::uint64_t{files.size()}), " files"});
    return launcherReplaced;
  }

 private:
  // The update refused or failed: every file stays as it was; `failed` names
  // the file (when there is one) and says why.
  bool Refuse(const std::wstring& file, const char* reason) {
    std::wstring line = file;
    if (!line.empty()) line += L": ";
    diag::Piece(reason).AppendTo(line);
    win::WriteTextFile(folder_ + kFailedFile, line + L"\r\n");
    diag::Log({"update: not applied, the application starts with its old files: ", line});
    return false;
  }

  // The first `count` files back as they were, the last first, and the
  // journal gone: a file of the update that has left the update folder goes
  // back there, and the file it replaced (set aside) to its place. A file set
  // aside had its place taken only once its new one had left the update
  // folder. A rename whose file is not there, or whose new name is taken,
  // does nothing: each step is taken only where it is still to be undone.
  void Undo(const std::vector<std::wstring>& files, std::size_t count) {
    while (count > 0) {
      const std::wstring target = base_ + files[--count];
      Rename(target, folder_ + files[count]);
      Rename(target + kAsideSuffix, target);
    }
    DeleteFileW(journal_.c_str());
  }

  // Every file is in place: the set-aside ones, the update folder and the
  // journal go. The running executable's old file stays until the next start.
  void Finish(const std::vector<std::wstring>& files) {
    for (const std::wstring& file : files) DeleteFileW((base_ + file + kAsideSuffix).c_str());
    std::vector<std::wstring> left, folders;
    if (ListBelow(folder_, L"", left, folders)) {
      for (const std::wstring& file : left) DeleteFileW((folder_ + file).c_str());
      for (auto it = folders.rbegin(); it != folders.rend(); ++it) RemoveDirectoryW((folder_ + *it).c_str());
      DeleteFileW((folder_ + kReadyFile).c_str());
      DeleteFileW((folder_ + kFailedFile).c_str());
      RemoveDirectoryW(folder_.c_str());
    }
    DeleteFileW(journal_.c_str());
  }

  const std::wstring base_, relative_, folder_, journal_;
};

}  // namespace

bool ApplyStagedUpdate(const std::wstring& executablePath, const std::wstring& settingsFile,
                                const std::wstring& relativeFolder) {
  DeleteFileW((executablePath + kAsideSuffix).c_str());
  const std::wstring base = executablePath.substr(0, executablePath.rfind(L'\\') + 1);
  StagedUpdate update(base, relativeFolder);
  update.Recover();
  return update.Apply(executablePath, settingsFile);
}

}  // namespace update
