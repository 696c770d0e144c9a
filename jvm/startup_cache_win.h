// The startup cache at the system's edge: the user's local application-data
// folder, the cache folder and its files (the temporaries the runtime writes,
// their final names, the older files), the runtime's version (from its
// "release" file) and the stamps of the files the cache is made from.
#pragma once

#include <string>
#include <vector>

#include "common/win_handles.h"
#include "jvm/startup_cache.h"

namespace jvm {

struct StartupCacheFacts {
  const std::wstring& executablePath;
  const std::wstring& productName;
  const std::wstring& productCode;
  const std::wstring& jvmLibraryPath;
  const std::wstring& classPath;
  const std::wstring& modulePath;
};

// The cache of this start: its files, and the finished file it maps, held
// open (without delete sharing) so that no other start removes it meanwhile.
struct StartupCache {
  StartupCacheFiles files;
  win::FileHandle inUse;
};

// Puts the startup cache's options after the first of `optionTexts` (the
// class path option), or leaves them as they are and logs why.
void AddStartupCache(std::vector<std::wstring>& optionTexts, const StartupCacheFacts& facts, StartupCache& cache);

// Once the runtime has finished (DestroyJavaVM returned, or its exit hook
// runs): the file it wrote gets its final name unless another start's got
// there first, or is removed when it is not a finished archive; after a new
// file, the older ones beyond the newest other one are removed. Once only.
void FinishStartupCache(StartupCache& cache);

}  // namespace jvm
