// The runtime's C runtime, found through the imports of its jvm.dll.
#include <windows.h>

#include <cstddef>

#include "jvm/vm_output.h"

namespace jvm {
namespace {

// A FILE of the C runtimes that have no __acrt_iob_func (msvcrt, msvcr100):
// the runtime's table is an array of these.
constexpr std::size_t kOldCrtFileSize = 48;

}  // namespace

void UseRuntimeStreamsOf(void* runtimeModule) {
  // The C runtime is the imported module that exports vfprintf.
  const auto* base = static_cast<const BYTE*>(runtimeModule);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return;
  for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name != 0;
       ++entry) {
    // Loaded already, as the runtime's dependency; an API set name leads to its host.
    HMODULE crt = LoadLibraryA(reinterpret_cast<const char*>(base + entry->Name));
    if (crt == nullptr) continue;
    RuntimeStreams streams;
    streams.vfprintf = reinterpret_cast<decltype(streams.vfprintf)>(GetProcAddress(crt, "vfprintf"));
    streams.commonVfprintf =
        reinterpret_cast<decltype(streams.commonVfprintf)>(GetProcAddress(crt, "__stdio_common_vfprintf"));
    if (streams.vfprintf == nullptr && streams.commonVfprintf == nullptr) continue;
    if (auto iob = reinterpret_cast<FILE* (*)(unsigned)>(GetProcAddress(crt, "__acrt_iob_func"))) {
      streams.output = iob(1);
      streams.error = iob(2);
    } else if (auto table = reinterpret_cast<char* (*)()>(GetProcAddress(crt, "__iob_func"))) {
      streams.output = reinterpret_cast<FILE*>(table() + kOldCrtFileSize);
      streams.error = reinterpret_cast<FILE*>(table() + 2 * kOldCrtFileSize);
    }
    if (streams.error == nullptr) continue;
    UseRuntimeStreams(streams);
    return;
  }
}

}  // namespace jvm
