#include "jvm/startup_cache_win.h"

#include <windows.h>

#include <utility>

#include "common/expansion.h"
#include "common/file_identity_win.h"
#include "common/found_files_win.h"
#include "common/folders.h"
#include "common/splitting.h"
#include "common/text.h"
#include "common/text_file_win.h"
#include "common/text_win.h"
#include "config/settings_paths.h"
#include "jvm/user_vm_options_win.h"
#include "jvm/vm_options.h"
#include "report/console_mode.h"
#include "report/diagnostics_log.h"
#include "runtime/installed_runtimes.h"
#include "runtime/runtime_search.h"

namespace jvm {

// Literals as views: their length is known when the launcher is built.
using namespace std::string_view_literals;

namespace {

// Removes a file of the cache folder through a handle of its own, when it is a
// plain file there. The runtime makes its archives read-only. A file some
// process has open without delete sharing stays.
void Remove(const std::wstring& file) {
  win::FileHandle handle(CreateFileW(file.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  FILE_BASIC_INFO basic{};
  if (!handle || !win::IsPlainFileAt(handle.get(), file) ||
      !GetFileInformationByHandleEx(handle.get(), FileBasicInfo, &basic, sizeof basic)) {
    return;
  }
  if (basic.FileAttributes & FILE_ATTRIBUTE_READONLY) {
    basic.FileAttributes &= ~DWORD{FILE_ATTRIBUTE_READONLY};
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(handle.get(), FileBasicInfo, &basic, sizeof basic);
  }
  FILE_DISPOSITION_INFO dispose{TRUE};
  SetFileInformationByHandle(handle.get(), FileDispositionInfo, &dispose, sizeof dispose);
}

// Whether a plain file begins as an archive; it is left open in `file`.
bool OpenArchive(win::FileHandle& file, const std::wstring& path, DWORD share) {
  file = win::FileHandle(
      CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  std::uint32_t magic = 0;
  DWORD read = 0;
  return file && win::IsPlainFileAt(file.get(), path) && ReadFile(file.get(), &magic, sizeof magic, &read, nullptr) &&
         read == sizeof magic && IsArchiveMagic(magic);
}

// The files of the cache folder's own naming; nothing else there is ever removed.
enum class Naming { kOther, kTemporary, kFinished };

// <16 hex digits>.jsa or .aot (finished), <16 hex digits>.<process id>.tmp
// (written, and JDK 25's training record <that>.config): `owner` gets the id.
Naming NamingOf(std::wstring_view name, DWORD& owner) {
  if (name.size() < 20 || name.substr(0, 16).find_first_not_of(L"0123456789abcdef") != std::wstring_view::npos ||
      name[16] != L'.') {
    return Naming::kOther;
  }
  const std::wstring_view rest = name.substr(17);
  if (rest == L"jsa"sv || rest == L"aot"sv) return Naming::kFinished;
  std::size_t digits = 0;
  owner = 0;
  for (; digits < rest.size() && digits < 10 && rest[digits] >= L'0' && rest[digits] <= L'9'; ++digits) {
    owner = owner * 10 + (rest[digits] - L'0');
  }
  const std::wstring_view end = rest.substr(digits);
  return digits > 0 && (end == L".tmp"sv || end == L".tmp.config"sv) ? Naming::kTemporary : Naming::kOther;
}

bool IsLive(DWORD process) {
  win::Handle handle(OpenProcess(SYNCHRONIZE, FALSE, process));
  return handle && WaitForSingleObject(handle.get(), 0) == WAIT_TIMEOUT;
}

// Removes the temporaries of starts that no longer run (cut short, or
// killed). After `made` (when given), keeps the newest other finished file
// and removes the older ones: each update of the application or the runtime
// leaves one behind. A file another start maps stays: it is held open.
void Tidy(const std::wstring& folder, const std::wstring& made) {
  ULONGLONG newestTime = 0;
  std::wstring newest;
  for (win::FoundFiles found((folder + L"*").c_str()); found.Next();) {
    const WIN32_FIND_DATAW& data = found.entry();
    DWORD owner = 0;
    const Naming naming = (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0
                              ? Naming::kOther
                              : NamingOf(data.cFileName, owner);
    std::wstring file = folder + data.cFileName;
    if (naming == Naming::kTemporary) {
      if (!IsLive(owner)) Remove(file);
    } else if (naming == Naming::kFinished && !made.empty() && file != made) {
      // Of this one and the newest so far, the older goes.
      ULONGLONG time = ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32 | data.ftLastWriteTime.dwLowDateTime;
      if (time > newestTime) {
        std::swap(time, newestTime);
        file.swap(newest);
      }
      if (!file.empty()) Remove(file);
    }
  }
}

class DiskCacheFolder : public CacheFolder {
 public:
  // `trusted`: the length of the local application-data folder, which is the user's own.
  DiskCacheFolder(const std::wstring& tag, std::size_t trusted, win::FileHandle& inUse)
      : tag_(tag), trusted_(trusted), inUse_(inUse) {}

  const wchar_t* MakeWritable(const std::wstring& folder) override {
    // The runtime gets the file's name in the ANSI code page: a folder outside
    // it (a user name in another script) would name no file.
    if (!text::ConvertsToThreadAnsi(folder)) return L"no folder";
    const std::wstring probe = folder + L"probe." + tag_ + L".tmp";
    // Through a link or junction the tidy-up would work in another folder:
    // none may be on the way, before the missing folders are made and after.
    const wchar_t* why = LinkOnTheWay(folder, false);
    if (why == nullptr) {
      folders::CreateParentFolders(probe);
      why = LinkOnTheWay(folder, true);
    }
    if (why != nullptr) return why;
    Tidy(folder, {});
    // A file that can be made there now can be made by the runtime later. A
    // new one: nothing planted at that name is ever opened.
    return win::FileHandle(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr))
               ? nullptr
               : L"no folder";
  }
  bool Holds(const std::wstring& file) override {
    if (OpenArchive(inUse_, file, FILE_SHARE_READ | FILE_SHARE_WRITE)) return true;
    inUse_.reset();
    Remove(file);
    return false;
  }
  bool FindsFolder(const std::wstring& pattern) override {
    for (win::FoundFiles found(pattern.c_str()); found.Next();) {
      if (found.IsSubfolder()) return true;
    }
    return false;
  }
  std::uint64_t FreeBytes(const std::wstring& folder) override {
    ULARGE_INTEGER free{};
    return GetDiskFreeSpaceExW(folder.c_str(), &free, nullptr, nullptr) ? free.QuadPart : 0;
  }
  bool Exists(const std::wstring& file) override { return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

 private:
  // Why a folder below the local application-data one is not a plain folder
  // of its own; null when none is. `made`: every one must be there.
  const wchar_t* LinkOnTheWay(const std::wstring& folder, bool made) const {
    for (std::size_t at = folder.find(L'\\', trusted_ + 1); at != std::wstring::npos; at = folder.find(L'\\', at + 1)) {
      const DWORD attributes = GetFileAttributesW(folder.substr(0, at).c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES && !made) return nullptr;
      if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return L"no folder";
      if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return L"the folder is a link";
    }
    return nullptr;
  }

  const std::wstring& tag_;
  std::size_t trusted_;
  win::FileHandle& inUse_;
};

// The last-write time and size of every file the cache is made from: a
// runtime or an application file replaced in place (an update) then gives
// another cache file, which the runtime makes afresh, rather than one it
// refuses at every start from then on.
std::wstring Stamps(const StartupCacheFacts& facts) {
  std::wstring stamps;
  const auto stamp = [&stamps](const std::wstring& file) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (file.empty() || !GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return false;
    // Only hashed: the time's and size's bytes as they are.
    const DWORD units[] = {data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime,
                           data.nFileSizeLow, data.nFileSizeHigh};
    stamps.append(reinterpret_cast<const wchar_t*>(units), sizeof units / (sizeof(wchar_t)));
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  };
  stamp(facts.jvmLibraryPath);
  std::vector<std::wstring> files;
  text::SplitBySeparator(files, facts.classPath, L";"sv);
  for (const std::wstring& file : files) stamp(file);
  files.clear();
  text::SplitBySeparator(files, facts.modulePath, L";"sv);
  // A module path folder's time changes with its names only: each jar in it counts.
  for (const std::wstring& entry : files) {
    if (!stamp(entry)) continue;
    for (win::FoundFiles found((entry + L"\\*").c_str()); found.Next();) {
      const wchar_t* name = found.entry().cFileName;
      if ((found.entry().dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        stamps += name;
        stamp(entry + L'\\' + name);
      }
    }
  }
  return stamps;
}

}  // namespace

void AddStartupCache(std::vector<std::wstring>& optionTexts, const StartupCacheFacts& facts, StartupCache& cache) {
  if (ProcessIsElevated()) {
    diag::Log({"startup cache off: elevated"});
    return;
  }
  runtime::DiskFileProbe files;
  const std::wstring home = RuntimeHome(facts.jvmLibraryPath);
  const auto version = runtime::ReleaseFileVersion(home + L"\\", files);
  const int feature = version ? FeatureRelease(version->parts[0], version->parts[1]) : 0;
  // JDK 25 makes its AOT cache by starting <home>\bin\java at exit, which
  // inherits the standard handles: not for a console program's output, and
  // not at all in a runtime without the command (jlink
  // --strip-native-commands). The dynamic archive needs neither.
  const char* noAot = report::IsConsoleProgram()              ? "console program"
                      : !files.Exists(home + L"\\bin\\java.exe") ? "no bin\\java.exe"
                                                               : nullptr;
  if (feature >= 25 && noAot != nullptr) diag::Log({"startup cache: dynamic archive, ", noAot});

  const std::wstring local = text::GetEnvironment(L"LOCALAPPDATA");
  const std::wstring folder = StartupCacheFolder(local,
                                                 config::CleanProductName(facts.productName), facts.productCode,
                                                 facts.executablePath);
  const std::wstring tag = text::DecimalText(std::uint64_t{GetCurrentProcessId()});
  DiskCacheFolder disk(tag, local.size(), cache.inUse);
  const std::wstring server = facts.jvmLibraryPath.substr(0, facts.jvmLibraryPath.rfind(L'\\') + 1);
  const bool baseArchive = files.Exists(server + L"classes.jsa") || files.Exists(server + L"classes_nocoops.jsa");
  if (const wchar_t* off = AddStartupCacheOptions(optionTexts, feature, noAot == nullptr, baseArchive, folder, tag,
                                                  {facts.jvmLibraryPath, Stamps(facts)}, disk, cache.files,
                                                  {{L"JAVA_TOOL_OPTIONS", text::GetEnvironment(L"JAVA_TOOL_OPTIONS")},
                                                   {L"_JAVA_OPTIONS", text::GetEnvironment(L"_JAVA_OPTIONS")},
                                                   {L"JDK_JAVA_OPTIONS", text::GetEnvironment(L"JDK_JAVA_OPTIONS")}})) {
    diag::Log({"startup cache off: ", off});
  }
}

void FinishStartupCache(StartupCache& cache) {
  const std::wstring& file = cache.files.file;
  std::wstring& written = cache.files.written;
  if (written.empty()) return;
  // The first start to finish names the file; the others remove theirs.
  win::FileHandle handle;
  const bool whole = OpenArchive(handle, written, FILE_SHARE_READ);
  handle.reset();
  if (whole && MoveFileExW(written.c_str(), file.c_str(), 0)) {
    Tidy(file.substr(0, file.rfind(L'\\') + 1), file);
  } else {
    Remove(written);
  }
  // JDK 25's training record, left when its cache could not be made.
  Remove(written + L".config");
  written.clear();
}

void RefuseStartupCache(StartupCache& cache, const wchar_t* why) {
  if (cache.files.file.empty()) return;
  diag::Log({"startup cache refused by the runtime, off for its file from now on: ", why});
  // A new file: nothing planted at that name is written through.
  win::WriteTextFile(RefusedMarkerOf(cache.files.file), why, CREATE_NEW);
}

void EndStartupCache(StartupCache& cache, bool aborted, int code) {
  if (const wchar_t* why = RefusalAtEnd(aborted, code, cache.mainRan, !cache.files.written.empty())) {
    RefuseStartupCache(cache, why);
  }
  FinishStartupCache(cache);
}

}  // namespace jvm
