// The virtual machine's own words: what it prints through its "vfprintf" hook
// for its standard error goes to the process's standard error, and the last
// 4 KB of it are kept so that a failed creation can say what the VM said.
// Words for another stream (standard output, a -Xlog file) go to that stream.
#pragma once

#include <jni.h>

#include <array>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace jvm {

inline constexpr std::size_t kVmOutputKept = 4096;

// The last kVmOutputKept bytes of everything appended. A fixed buffer: it
// needs no construction and no teardown while the VM's threads still print.
class OutputTail {
 public:
  void Append(std::string_view bytes);
  std::string Text() const { return std::string(bytes_.data(), size_); }

 private:
  std::array<char, kVmOutputKept> bytes_{};
  std::size_t size_ = 0;
};

// The C runtime of the VM, whose FILEs the hook is handed: its vfprintf (the
// universal C runtime has none of its own: its headers call
// __stdio_common_vfprintf with their options, 0 unless legacy ones are asked
// for, and no locale), its standard output and its standard error.
struct RuntimeStreams {
  int (*vfprintf)(FILE*, const char*, va_list) = nullptr;
  int (*commonVfprintf)(unsigned long long, FILE*, const char*, void*, va_list) = nullptr;
  FILE* output = nullptr;
  FILE* error = nullptr;
};
void UseRuntimeStreams(const RuntimeStreams& streams);

// Finds the C runtime the loaded runtime (jvm.dll) imports (vm_output_win.cpp
// on Windows; the one C runtime of the process elsewhere). Until then, or
// when there is none, the hook takes every text for standard error.
void UseRuntimeStreamsOf(void* runtimeModule);

// The hook handed to the VM with the "vfprintf" option: text for the VM's
// standard error is written to the process's standard error and its tail
// kept; text for any other stream goes through the runtime's vfprintf, or
// when that fails to the process's standard output (else the log). Safe on
// any thread.
jint JNICALL VmVfprintfHook(FILE* stream, const char* format, va_list args);

// What the hook has kept so far (bytes in the VM's encoding, the ANSI code
// page on Windows).
std::string VmOutputTail();

// Until the VM has been created, what it says through the hook for its
// standard output is kept too: HotSpot sends its fatal start-up messages
// ("Error occurred during initialization of VM" and the reason) there.
// Called once the creation succeeded.
void VmStarted();
bool VmStarting();

// The process had no standard output or error of its own (a windowed program
// started from Explorer) and the launcher gave it handles whose text it keeps
// (vm_start_output_win.h): until the VM has started, the hook keeps what it is
// given for such a stream without writing it there, where it would be kept
// twice.
void StandardStreamsHeld(bool output, bool error);

// Adds what the VM wrote on its own standard handles to what is kept.
void KeepVmOutput(std::string_view bytes);

}  // namespace jvm
