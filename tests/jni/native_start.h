// One start of an application through the launcher's JNI layer on Linux, in
// a child process of its own (one VM per process): the runtime is loaded,
// the VM created on a thread of its own, main called, the thread detached
// and the VM destroyed, as the launcher does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jvm/startup_cache.h"

namespace nativestart {

struct Start {
  std::string libjvm;                // full path of libjvm.so
  std::vector<std::string> options;  // the VM options
  std::string mainClass;             // with slashes
  std::vector<std::wstring> arguments;
  std::string outputFile;            // receives the child's standard output and error
  std::string workingDirectory;      // empty: the test's own
  std::string tailFile;              // empty: none; else receives what the hook kept of the VM's standard error
  // The startup cache of the start: after DestroyJavaVM returned, or in the
  // exit hook, the written file gets its name as the launcher gives it.
  jvm::StartupCacheFiles cache;
  bool killWhileWriting = false;     // the child is killed once the written file appears
};

struct Result {
  int exitCode = -1;          // the child's exit code; -1 when it did not end normally
  double mainDoneMs = -1;     // process start until main returned (or called System.exit)
  double wholeMs = -1;        // process start until the process ended
  double cpuMs = -1;          // processor time of the whole process (user and system)
};

Result RunStart(const Start& start);

// What the child writes on its standard error when the VM calls the abort hook.
inline constexpr char kAbortHookSays[] = "abort hook called\n";

// The cache folder on the disk, as the launcher's edge keeps it: made with
// its parents, writable when a new file can be created in it; a file that is
// not an archive is removed.
class PosixCacheFolder : public jvm::CacheFolder {
 public:
  const wchar_t* MakeWritable(const std::wstring& folder) override;
  bool Holds(const std::wstring& file) override;
  bool FindsFolder(const std::wstring& pattern) override;
  std::uint64_t FreeBytes(const std::wstring& folder) override;
  bool Exists(const std::wstring& file) override;
};

// The launcher's last step: the written file becomes the cache file when it
// begins as an archive and no other start named one first; else it goes.
void FinishCache(const jvm::StartupCacheFiles& cache);

// ASCII text, with "\\" read as "/" and the Windows path separator ";" as ":".
std::string Narrow(const std::wstring& text);
std::wstring Wide(const std::string& text);
std::string ReadFile(const std::string& path);

}  // namespace nativestart
