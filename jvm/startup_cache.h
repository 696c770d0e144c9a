// The startup cache: the class-data cache a runtime maps at start instead of
// loading and verifying the application's classes again. One file per
// application, runtime and class path (or module path), kept in the user's
// local application-data folder. Plain text work: the folder and the file
// are reached through the small interface below.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace jvm {

// The feature release of a runtime version's first two parts: 1.8 gives 8,
// 17.0.2 gives 17. None known: 0.
int FeatureRelease(int first, int second);

// Whether an option (quotes stripped) already steers the class-data cache:
// -XX:AOT..., a -XX: option naming the archive, or -Xshare:off.
bool SteersClassDataCache(std::wstring_view option);

// <local application data>\<product folder>\<Product Code>\cache, where the
// product folder is the product name already cleaned of the characters a
// folder name cannot hold; the executable's base name stands in for an empty
// one. An empty code adds no folder. Without the first folder: empty.
std::wstring StartupCacheFolder(std::wstring_view localAppData, std::wstring_view productFolder,
                                std::wstring_view productCode, std::wstring_view executablePath);

// "<16 hex digits>.jsa" (".aot" from 25 on): the digits are a hash of the
// identity pieces (the runtime, the class path, the module
// path...), so another one gives another file.
std::wstring StartupCacheFileName(int feature, std::initializer_list<std::wstring_view> identity);

// The cache folder as the system has it.
class CacheFolder {
 public:
  virtual ~CacheFolder() = default;
  // Creates the folder as needed; true when a file can be written in it.
  virtual bool MakeWritable(const std::wstring& folder) = 0;
  virtual bool Exists(const std::wstring& file) = 0;
};

// The whole choice, for the option texts composed so far (the class path
// option first): nothing for an unknown or early runtime, nothing when they
// already steer the cache, nothing when the folder (empty: none) cannot be
// written; else,
// right after the class path option (before the VM parameters, whose own
// -Xlog options then still apply), by the runtime's feature release:
//   25 and later: -XX:AOTCache=<file> when it exists, else -XX:AOTCacheOutput=<file>;
//   19 to 24: -XX:+AutoCreateSharedArchive -XX:SharedArchiveFile=<file>;
//   13 to 18: -XX:SharedArchiveFile=<file> when it exists, else -XX:ArchiveClassesAtExit=<file>;
// then the -Xlog option that keeps the runtime's messages about a stale or
// refused cache to itself (it falls back to a normal start). Returns why
// nothing was added, or null.
const wchar_t* AddStartupCacheOptions(std::vector<std::wstring>& optionTexts, int feature, const std::wstring& folder,
                                      std::initializer_list<std::wstring_view> identity, CacheFolder& cacheFolder);

}  // namespace jvm
