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
// open (without delete sharing) so that no other start removes it meanwhile;
// whether the application's main has been called.
struct StartupCache {
  StartupCacheFiles files;
  win::FileHandle inUse;
  bool mainRan = false;
};

// Puts the startup cache's options after the first of `optionTexts` (the
// class path option), or leaves them as they are and logs why. An elevated
// start uses none: its cache folder is the user's, who could plant a file in it.
void AddStartupCache(std::vector<std::wstring>& optionTexts, const StartupCacheFacts& facts, StartupCache& cache);

// Once the runtime has finished (DestroyJavaVM returned, or its exit hook
// runs): the file it wrote gets its final name unless another start's got
// there first, or is removed when it is not a finished archive; after a new
// file, the older ones beyond the newest other one are removed. Once only.
void FinishStartupCache(StartupCache& cache);

// The runtime refused its cache options (`why`, for the log): the file's name
// is marked, so that the starts after this one go without until another
// runtime, application file or option gives another name.
void RefuseStartupCache(StartupCache& cache, const wchar_t* why);

// The runtime ends the process: from its exit hook with `code`, or its abort
// hook (`aborted`). What RefusalAtEnd counts as its refusal turns the cache
// off for the file (RefuseStartupCache). Then FinishStartupCache.
void EndStartupCache(StartupCache& cache, bool aborted, int code);

}  // namespace jvm
