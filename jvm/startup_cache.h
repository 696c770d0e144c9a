// The startup cache: the class-data cache a runtime maps at start instead of
// loading and verifying the application's classes again. One file per
// application, runtime and set of options, kept in the user's local
// application-data folder. A cache is only an optimisation: whenever the
// runtime might refuse or mishandle it, the start goes without. Plain text
// work: the folder and the files are reached through the small interface
// below.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

namespace jvm {

// The feature release of a runtime version's first two parts: 1.8 gives 8,
// 17.0.2 gives 17. None known: 0.
int FeatureRelease(int first, int second);

// Whether an option (quotes stripped) steers class data sharing itself, or
// may: any -Xshare:, -XX:AOT..., a -XX: option about the shared archive or
// class list, or a file of further options.
bool SteersClassDataCache(std::wstring_view option);

// A Product Name or Product Code as one folder name: characters a name cannot
// hold (\ and / among them), ";" (which would split the runtime's file
// option in two) and trailing dots or spaces become "_", so that neither
// "..", nor a path, leads out of the folder it is put in.
std::wstring SafeFolderName(std::wstring_view name);

// <local application data>\<product folder>\<Product Code>\cache\, each a
// single folder name (SafeFolderName); the executable's base name stands in
// for an empty product folder. An empty code adds no folder. Without the
// first folder: empty.
std::wstring StartupCacheFolder(std::wstring_view localAppData, std::wstring_view productFolder,
                                std::wstring_view productCode, std::wstring_view executablePath);

// "<16 hex digits>.jsa" (".aot" for the AOT cache): the digits are a hash of
// the identity pieces (the runtime, the file stamps, the option texts), so
// another one gives another file.
std::wstring StartupCacheFileName(bool aotCache, std::initializer_list<std::wstring_view> identity,
                                  const std::vector<std::wstring>& optionTexts = {});

// The options in a variable such as JAVA_TOOL_OPTIONS, split as the runtime
// splits them: at white space, outside single or double quotes, which go.
std::vector<std::wstring> EnvironmentVmOptions(std::wstring_view value);

// The free space a start needs before it lets the runtime write a cache: a
// larger application's archive, with room to spare. With less, the runtime
// fails to write it and ends the process with an error at every exit.
inline constexpr std::uint64_t kCacheRoomBytes = 256ull << 20;

// The file beside a cache file that says the runtime refused it: its name
// and ".off" (the AOT cache and the dynamic archive of one hash apart).
std::wstring RefusedMarkerOf(const std::wstring& file);

// Why the runtime's end of the process says it refused the cache options it
// was given, or null: ended from its exit hook with `code`, or from its abort
// hook (`aborted`). An error before main was called counts; so does aborting
// while it was to write the cache (`writing`).
const wchar_t* RefusalAtEnd(bool aborted, int code, bool mainRan, bool writing);

// Whether a file's first four bytes, read as a little-endian number, are
// those of an archive: 0xF00BABA2 (static archive, AOT cache) or 0xF00BABA8
// (dynamic archive).
bool IsArchiveMagic(std::uint32_t magic);

// The cache folder as the system has it.
class CacheFolder {
 public:
  // Creates the folder as needed, without writing through anything planted in
  // it. Null when a file can be written in it; else why not.
  virtual const wchar_t* MakeWritable(const std::wstring& folder) = 0;
  // True when `file` is there and begins as an archive; it then stays where it
  // is while this process lives. A file that does not (empty, cut short before
  // its header, anything else) is removed.
  virtual bool Holds(const std::wstring& file) = 0;
  // True when a folder (not "." or "..") matches the pattern.
  virtual bool FindsFolder(const std::wstring& pattern) = 0;
  // The bytes this user may still write on the folder's disk.
  virtual std::uint64_t FreeBytes(const std::wstring& folder) = 0;
  // Whether a file stands at that name.
  virtual bool Exists(const std::wstring& file) = 0;

 protected:
  // Never deleted through this interface: no virtual destructor to carry.
  ~CacheFolder() = default;
};

// The cache of one start: the runtime writes `written` (empty when it maps
// `file`), which becomes `file` once the runtime has finished.
struct StartupCacheFiles {
  std::wstring file, written;
};

// The whole choice, for the option texts composed so far (the class path
// option first) and the variables of VM options the runtime reads itself
// (name, value). Nothing for an unknown or early runtime; nothing when an
// option (or one in a variable: JDK_JAVA_OPTIONS only for the AOT cache,
// which bin\java makes) steers the cache, or is one the runtime refuses while
// it writes a cache (--limit-modules, --patch-module, --upgrade-module-path;
// -javaagent: but for the AOT cache); nothing when a folder is on the class
// path or -Xbootclasspath/a: (or a module path folder holds one: an
// exploded module), when the dynamic archive would be made without the
// runtime's own base archive (`baseArchive`: classes.jsa beside the VM
// library; jlink leaves it out), when the folder (empty: none) has a ";" or
// cannot be written, when the runtime refused this file at an earlier start
// (RefusedMarkerOf), or when a file to write would find less than
// kCacheRoomBytes free. Else, right after the class path option (before the
// VM parameters, whose own -Xlog options then still apply):
//   the AOT cache (25 on, `aotCache`): -XX:AOTCache=<file> when it is whole,
//     else -XX:AOTCacheOutput=<written>;
//   the dynamic archive: -XX:SharedArchiveFile=<file> when it is whole, else
//     from 19 on -XX:+AutoCreateSharedArchive -XX:SharedArchiveFile=<written>,
//     before -XX:ArchiveClassesAtExit=<written>;
// then the -Xlog option that keeps the runtime's messages about a stale or
// refused cache to itself (it falls back to a normal start). <written> is
// <file's base>.<tag>.tmp, the tag unique among live processes. The file's
// name hashes the identity and every option text given here. Returns why
// nothing was added (for a variable: its name), or null.
const wchar_t* AddStartupCacheOptions(std::vector<std::wstring>& optionTexts, int feature, bool aotCache,
                                      bool baseArchive, const std::wstring& folder, std::wstring_view tag,
                                      std::initializer_list<std::wstring_view> identity, CacheFolder& cacheFolder,
                                      StartupCacheFiles& files,
                                      std::initializer_list<std::pair<const wchar_t*, std::wstring_view>> environment = {});

}  // namespace jvm
