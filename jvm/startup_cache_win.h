// The startup cache at the system's edge: the user's local application-data
// folder, the cache folder and file, the runtime's version (from its
// "release" file) and the stamps of the files the cache is made from.
#pragma once

#include <string>
#include <vector>

namespace jvm {

struct StartupCacheFacts {
  const std::wstring& executablePath;
  const std::wstring& productName;
  const std::wstring& productCode;
  const std::wstring& jvmLibraryPath;
  const std::wstring& classPath;
  const std::wstring& modulePath;
};

// Puts the startup cache's options after the first of `optionTexts` (the
// class path option), or leaves them as they are and logs why.
void AddStartupCache(std::vector<std::wstring>& optionTexts, const StartupCacheFacts& facts);

}  // namespace jvm
