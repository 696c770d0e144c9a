#include "jvm/startup_cache_win.h"

#include <windows.h>

#include "common/folders.h"
#include "common/splitting.h"
#include "common/text_win.h"
#include "common/win_handles.h"
#include "config/settings_paths.h"
#include "jvm/startup_cache.h"
#include "jvm/vm_options.h"
#include "report/diagnostics_log.h"
#include "runtime/installed_runtimes.h"
#include "runtime/runtime_search.h"

namespace jvm {
namespace {

class DiskCacheFolder : public CacheFolder {
 public:
  bool MakeWritable(const std::wstring& folder) override {
    // The runtime gets the file's name in the ANSI code page: a folder outside
    // it (a user name in another script) would name no file.
    if (!text::ConvertsToThreadAnsi(folder)) return false;
    // A file that can be made there now can be made by the runtime later.
    const std::wstring probe = folder + L"\\probe.tmp";
    folders::CreateParentFolders(probe);
    win::FileHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return static_cast<bool>(file);
  }
  bool Exists(const std::wstring& file) override { return files.Exists(file); }
  runtime::DiskFileProbe files;
};

// The last-write time and size of every file the cache is made from: a
// runtime or an application file replaced in place (an update) then gives
// another cache file, which the runtime makes afresh, rather than one it
// refuses at every start from then on.
std::wstring Stamps(const StartupCacheFacts& facts) {
  std::vector<std::wstring> files{facts.jvmLibraryPath}, entries;
  for (const std::wstring* list : {&facts.classPath, &facts.modulePath}) {
    text::SplitBySeparator(entries, *list, L";");
    files.insert(files.end(), entries.begin(), entries.end());
  }
  std::wstring stamps;
  for (const std::wstring& file : files) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (file.empty() || !GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) continue;
    // Only hashed: the time's and size's bytes as they are.
    const DWORD units[] = {data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime,
                           data.nFileSizeLow, data.nFileSizeHigh};
    stamps.append(reinterpret_cast<const wchar_t*>(units), sizeof units / (sizeof(wchar_t)));
  }
  return stamps;
}

}  // namespace

void AddStartupCache(std::vector<std::wstring>& optionTexts, const StartupCacheFacts& facts) {
  DiskCacheFolder disk;
  const auto version = runtime::ReleaseFileVersion(RuntimeHome(facts.jvmLibraryPath) + L"\\", disk.files);
  const int feature = version ? FeatureRelease(version->parts[0], version->parts[1]) : 0;

  const std::wstring localAppData = text::GetEnvironment(L"LOCALAPPDATA");
  const std::wstring folder = StartupCacheFolder(localAppData, config::CleanProductName(facts.productName),
                                                 facts.productCode, facts.executablePath);
  if (const wchar_t* off = AddStartupCacheOptions(
          optionTexts, feature, folder,
          {facts.jvmLibraryPath, facts.classPath, facts.modulePath, Stamps(facts)},
          disk)) {
    diag::Log({L"startup cache off: ", off});
  }
}

}  // namespace jvm
