#include "jvm/startup_cache_win.h"

#include <windows.h>

#include <utility>

#include "common/folders.h"
#include "common/splitting.h"
#include "common/text.h"
#include "common/text_win.h"
#include "config/settings_paths.h"
#include "jvm/vm_options.h"
#include "report/console_mode.h"
#include "report/diagnostics_log.h"
#include "runtime/installed_runtimes.h"
#include "runtime/runtime_search.h"

namespace jvm {
namespace {

// Removes a file of the cache folder: the runtime makes its archives
// read-only. A file some process has open without delete sharing stays.
void Remove(const std::wstring& file) {
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(file.c_str());
}

// Whether a file begins as an archive; it is left open in `file`.
bool OpenArchive(win::FileHandle& file, const std::wstring& path, DWORD share) {
  file = win::FileHandle(CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
  std::uint32_t magic = 0;
  DWORD read = 0;
  return file && ReadFile(file.get(), &magic, sizeof magic, &read, nullptr) && read == sizeof magic &&
         IsArchiveMagic(magic);
}

// The process id in a temporary's name, <name>.<id>.tmp...; 0 when none.
DWORD OwnerOf(std::wstring_view name) {
  DWORD id = 0;
  for (std::size_t i = name.find(L'.') + 1; i != 0 && i < name.size() && name[i] >= L'0' && name[i] <= L'9'; ++i) {
    id = id * 10 + (name[i] - L'0');
  }
  return id;
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
  WIN32_FIND_DATAW data;
  win::FindHandle find(FindFirstFileW((folder + L"*").c_str(), &data));
  while (find) {
    const std::wstring_view name(data.cFileName);
    std::wstring file = folder + data.cFileName;
    if (name.find(L".tmp") != std::wstring_view::npos) {
      if (!IsLive(OwnerOf(name))) Remove(file);
    } else if (!made.empty() && name.size() == 20 && name[16] == L'.' && file != made) {
      // <16 hex digits>.jsa or .aot: of this one and the newest so far, the older goes.
      ULONGLONG time = ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32 | data.ftLastWriteTime.dwLowDateTime;
      if (time > newestTime) {
        std::swap(time, newestTime);
        file.swap(newest);
      }
      if (!file.empty()) Remove(file);
    }
    if (!FindNextFileW(find.get(), &data)) break;
  }
}

class DiskCacheFolder : public CacheFolder {
 public:
  DiskCacheFolder(const std::wstring& tag, win::FileHandle& inUse) : tag_(tag), inUse_(inUse) {}

  bool MakeWritable(const std::wstring& folder) override {
    // The runtime gets the file's name in the ANSI code page: a folder outside
    // it (a user name in another script) would name no file.
    if (!text::ConvertsToThreadAnsi(folder)) return false;
    // A file that can be made there now can be made by the runtime later. A
    // new one: nothing planted at that name is ever opened.
    const std::wstring probe = folder + L"probe." + tag_ + L".tmp";
    folders::CreateParentFolders(probe);
    Tidy(folder, {});
    return static_cast<bool>(win::FileHandle(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                                         nullptr)));
  }
  bool Holds(const std::wstring& file) override {
    if (OpenArchive(inUse_, file, FILE_SHARE_READ | FILE_SHARE_WRITE)) return true;
    inUse_.reset();
    Remove(file);
    return false;
  }
  bool FindsFolder(const std::wstring& pattern) override {
    WIN32_FIND_DATAW data;
    win::FindHandle find(FindFirstFileW(pattern.c_str(), &data));
    while (find) {
      const std::wstring_view name(data.cFileName);
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..") return true;
      if (!FindNextFileW(find.get(), &data)) break;
    }
    return false;
  }

 private:
  const std::wstring& tag_;
  win::FileHandle& inUse_;
};

// The last-write time and size of every file the cache is made from: a
// runtime or an application file replaced in place (an update) then gives
// another cache file, which the runtime makes afresh, rather than one it
// refuses at every start from then on.
std::wstring Stamps(const StartupCacheFacts& facts) {
  std::vector<std::wstring> files;
  text::SplitBySeparator(files, facts.classPath + L';' + facts.modulePath, L";");
  std::wstring stamps;
  const auto stamp = [&stamps](const std::wstring& file) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (file.empty() || !GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return;
    // Only hashed: the time's and size's bytes as they are.
    const DWORD units[] = {data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime,
                           data.nFileSizeLow, data.nFileSizeHigh};
    stamps.append(reinterpret_cast<const wchar_t*>(units), sizeof units / (sizeof(wchar_t)));
  };
  stamp(facts.jvmLibraryPath);
  for (const std::wstring& file : files) stamp(file);
  return stamps;
}

}  // namespace

void AddStartupCache(std::vector<std::wstring>& optionTexts, const StartupCacheFacts& facts, StartupCache& cache) {
  runtime::DiskFileProbe files;
  const std::wstring home = RuntimeHome(facts.jvmLibraryPath);
  const auto version = runtime::ReleaseFileVersion(home + L"\\", files);
  const int feature = version ? FeatureRelease(version->parts[0], version->parts[1]) : 0;
  // JDK 25 makes its AOT cache by starting <home>\bin\java at exit, which
  // inherits the standard handles: not for a console program's output, and
  // not at all in a runtime without the command (jlink
  // --strip-native-commands). The dynamic archive needs neither.
  const wchar_t* noAot = report::IsConsoleProgram()              ? L"console program"
                         : !files.Exists(home + L"\\bin\\java.exe") ? L"no bin\\java.exe"
                                                                  : nullptr;
  if (feature >= 25 && noAot != nullptr) diag::Log({L"startup cache: dynamic archive, ", noAot});

  const std::wstring folder = StartupCacheFolder(text::GetEnvironment(L"LOCALAPPDATA"),
                                                 config::CleanProductName(facts.productName), facts.productCode,
                                                 facts.executablePath);
  const std::wstring tag = text::DecimalText(std::uint64_t{GetCurrentProcessId()});
  DiskCacheFolder disk(tag, cache.inUse);
  const std::wstring server = facts.jvmLibraryPath.substr(0, facts.jvmLibraryPath.rfind(L'\\') + 1);
  const bool baseArchive = files.Exists(server + L"classes.jsa") || files.Exists(server + L"classes_nocoops.jsa");
  if (const wchar_t* off = AddStartupCacheOptions(optionTexts, feature, noAot == nullptr, baseArchive, folder, tag,
                                                  {facts.jvmLibraryPath, Stamps(facts)}, disk, cache.files)) {
    diag::Log({L"startup cache off: ", off});
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

}  // namespace jvm
