// Rules for the virtual machine's environment and options: how the settings
// become option strings, the library path, the new Path and the class path.
// Plain text work; the facts from Windows (memory figures, folder listings)
// come in as parameters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jvm {

// The tokens of "Virtual Machine Parameters": a token ends at a space outside
// a quoted section; runs of spaces separate tokens. A text that begins with a
// space would give an empty first token; it is dropped (an empty option only
// makes the virtual machine refuse to start).
std::vector<std::wstring> SplitVmParameters(std::wstring_view text);

// Removes each pair of enclosing double quotes; a quote doubled right after
// the closing one keeps its first half as a literal quote.
std::wstring StripQuotes(std::wstring_view token);

// A token split into the text before its numbers and the numbers: digits
// accumulate, ":" starts a new number, anything else is skipped. The numbers
// start at the first digit or ":". A number too large for 64 bits saturates.
struct SizeNumbers {
  std::wstring prefix;
  std::vector<std::uint64_t> numbers;
};
SizeNumbers ParseSizeNumbers(std::wstring_view token);

// "-Xms", "-Xmx" or "-Xss" (letter case counts) ending in P, p, T or t.
bool IsMemoryDirective(std::wstring_view token);

// The memory figures of the machine, in bytes, as GlobalMemoryStatus gives them.
struct MemoryFigures {
  std::uint64_t totalPhysical = 0;     // dwTotalPhys
  std::uint64_t availableVirtual = 0;  // dwAvailVirtual
};

// prefix + size in kilobytes + "K": percentage of the physical memory (P) or
// of the available virtual address space (T), capped by the maximum and then
// raised to the minimum (both in megabytes; 0 means none). The size is written
// as the full unsigned 64-bit number.
std::wstring ExpandMemoryDirective(std::wstring_view token, const MemoryFigures& memory);

// G/g 1073741824, M/m 1048576, K/k 1024, anything else 1.
std::uint64_t SizeUnitMultiplier(wchar_t unit);

// The stack size in bytes of a token that starts with "-Xss"; 0 when the text
// after "-Xss" does not start with a digit or holds other than one number.
std::uint64_t StackSizeFromXss(std::wstring_view token);

// The runtime home of a jvm.dll path: C:\jre\bin\server\jvm.dll gives C:\jre.
std::wstring RuntimeHome(std::wstring_view jvmLibraryPath);
// The runtime's bin folder: C:\jre\bin\server\jvm.dll gives C:\jre\bin.
std::wstring RuntimeBinFolder(std::wstring_view jvmLibraryPath);
// The executable's folder with its trailing "\" (the path cut after its last "\").
std::wstring FolderWithSlash(std::wstring_view executablePath);

// The library path: the elements of the (expanded) setting, a relative one
// taken from the executable's folder; the executable's folder with its "\";
// the elements of `path` (the process's Path); the runtime home's "lib". An
// element that is empty, "." or not a full path is left out: the runtime
// would look for it in the current folder, which a document's folder may be.
// So is one that holds a ";" (the executable's folder too): the list cannot
// carry it.
std::wstring ComposeLibraryPath(std::wstring_view expandedSetting, std::wstring_view executableFolderWithSlash,
                                std::wstring_view path, std::wstring_view runtimeHome);
// The new Path: [expanded setting[;]] + [old Path;] + bin folder. The old
// Path is put in as it stands (never as a reference that might stay
// unexpanded); an unset or empty one adds nothing.
std::wstring ComposeNewPath(std::wstring_view expandedSystemPath, std::wstring_view oldPath,
                            std::wstring_view runtimeBinFolder);

// A class-path entry goes through ResolveClassPathEntry when it holds "*", is
// shorter than two characters, or is neither drive-qualified nor UNC.
bool NeedsResolving(std::wstring_view entry);
// Relative: shorter than two characters, or neither "X:..." nor "\\...".
bool IsRelativeEntry(std::wstring_view entry);

// The names (no folder) that a search pattern matches, in the file system's
// order, files and folders alike.
using DirectoryLister = std::vector<std::wstring> (*)(const std::wstring& pattern);

// Appends folder prefix + name + ";" to `classPath` for every match of the
// entry. Relative entries are searched under the executable's folder. Both
// "\" and "/" end the entry's folder part. An empty entry matches nothing;
// the names "." and ".." are skipped.
void ResolveClassPathEntry(std::wstring& classPath, std::wstring_view entry,
                           std::wstring_view executableFolderWithSlash, DirectoryLister list);

// The class path of the "Class Path" value: resolved entries and absolute
// entries kept as they stand, each followed by ";".
std::wstring ComposeClassPath(std::wstring_view classPathSetting, std::wstring_view executableFolderWithSlash,
                              DirectoryLister list);
// "Embedded Jar": ";" when needed, then the executable's own path.
void AppendEmbeddedJar(std::wstring& classPath, std::wstring_view executablePath);

// The class path's elements joined with ";", the empty ones left out: the VM
// reads an empty element (a ";" at the end, or doubled) as the current folder.
std::wstring WithoutEmptyElements(std::wstring_view classPath);

// The class path for the VM: `classPath` without empty elements; when none is
// left and there is no main module, the executable's folder (without its
// final "\"), since the VM reads an empty or absent class path as the current
// folder. With a main module an empty one stays (see ComposeVmOptionTexts).
std::wstring ClassPathForVm(std::wstring_view classPath, bool hasMainModule, std::wstring_view executableFolderWithSlash);

// The working list of option texts (before environment expansion): the class
// path option (WithoutEmptyElements; "-Djdk.module.main=" when it has no
// element and there is a main module), "--module-path=" and "--add-modules=" when there are a module
// path and a main module, then each VM parameter token stripped of quotes,
// joined with the next one when it is a two-token module option
// (IsTwoTokenModuleOption; at the very end it stays as it stands), and with its
// memory directive expanded. `stackSize` receives the size of the last -Xss
// token (0 when none could be read).
std::vector<std::wstring> ComposeVmOptionTexts(std::wstring_view classPath, const std::wstring& modulePath,
                                               const std::wstring& mainModule, std::wstring_view vmParameters,
                                               const MemoryFigures& memory, std::uint64_t& stackSize);
// Moves `option` to the end of `texts` with its memory directive expanded; an
// -Xss option sets `stackSize`.
void AppendVmOption(std::vector<std::wstring>& texts, std::wstring& option, const MemoryFigures& memory,
                    std::uint64_t& stackSize);

}  // namespace jvm
