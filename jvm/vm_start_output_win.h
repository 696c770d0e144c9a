// What the VM writes on its own standard handles while it starts.
//
// A windowed program started from Explorer or through a document has no
// standard output or error: what the runtime writes there itself (a module it
// cannot find, said through Java's System.out before the VM gives up) would
// be lost, and a failed start would end without its reason. The launcher gives
// such a process a pipe of its own for the handles it lacks, before the
// runtime is loaded, and keeps what arrives until the VM has started;
// afterwards what arrives goes to the diagnostics log, or nowhere, as before.
#pragma once

#include <string>

namespace jvm {

// Gives the process the pipe for each standard handle it lacks (none when it
// has both) and starts the thread that reads it.
void HoldMissingStandardHandles();

// Keeps what the pipe still holds (vm_output.h): called before what the VM
// said is read, once it has failed or ended the start.
void CollectHeldOutput();

// What the VM said on its standard error (and, while it started, on its
// standard output and its own handles), the last of it, trimmed.
std::wstring VmWords();

}  // namespace jvm
