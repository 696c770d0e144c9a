#include "jvm/vm_output.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#ifdef _WIN32
#include <windows.h>

#include "common/text_win.h"
#include "report/diagnostics_log.h"
#endif

namespace jvm {
namespace {

constinit OutputTail tail;
// Held only while the tail is appended to or copied: a spin is enough.
std::atomic_flag tailBusy = ATOMIC_FLAG_INIT;

class TailLock {
 public:
  TailLock() {
    while (tailBusy.test_and_set(std::memory_order_acquire)) {
    }
  }
  ~TailLock() { tailBusy.clear(std::memory_order_release); }
};

// The runtime's own C runtime (RuntimeStreams). A FILE* the VM hands over
// belongs to it, and only its functions may touch one.
constinit RuntimeStreams runtime{};
constinit std::atomic<bool> vmStarting{true};
constinit bool outputHeld = false, errorHeld = false;

#ifdef _WIN32
void WriteToHandle(DWORD standard, const std::string& text) {
  DWORD written = 0;
  HANDLE handle = GetStdHandle(standard);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
      !WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
    // No stream to write to (a windowed program): the log keeps it.
    if (standard == STD_OUTPUT_HANDLE) diag::Log({"VM output: ", text::FromThreadAnsi(text)});
  }
}
#endif

}  // namespace

void UseRuntimeStreams(const RuntimeStreams& streams) { runtime = streams; }

#ifndef _WIN32
// One C runtime in the process.
void UseRuntimeStreamsOf(void*) { UseRuntimeStreams({&std::vfprintf, nullptr, stdout, stderr}); }
#endif

void OutputTail::Append(std::string_view bytes) {
  if (bytes.size() >= kVmOutputKept) bytes.remove_prefix(bytes.size() - kVmOutputKept);
  const std::size_t keep = std::min(size_, kVmOutputKept - bytes.size());
  std::memmove(bytes_.data(), bytes_.data() + size_ - keep, keep);
  std::memcpy(bytes_.data() + keep, bytes.data(), bytes.size());
  size_ = keep + bytes.size();
}

jint JNICALL VmVfprintfHook(FILE* stream, const char* format, va_list args) {
  if (format == nullptr) return 0;
  const bool toError = runtime.error == nullptr || stream == runtime.error;
  const bool toOutput = !toError && stream == runtime.output;
  const bool starting = vmStarting.load(std::memory_order_acquire);
  // Kept: standard error's text, and standard output's while the VM starts.
  const bool keep = toError || (starting && toOutput);
  // A stream the launcher holds while the VM starts keeps what reaches it itself.
  const bool held = starting && (toError ? errorHeld : toOutput && outputHeld);
  int written = -1;
  // Another stream (standard output, a log file) gets the text as the VM meant.
  if (!toError && !held) {
    va_list again;
    va_copy(again, args);
    written = runtime.vfprintf != nullptr ? runtime.vfprintf(stream, format, again)
                                         : runtime.commonVfprintf(0, stream, format, nullptr, again);
    va_end(again);
    if (written >= 0 && !keep) return written;
  }
  va_list counting;
  va_copy(counting, args);
#ifdef _WIN32
  // The C runtime's own formatter, not the larger one of the compiler's library.
  const int length = _vscprintf(format, counting);
#else
  const int length = std::vsnprintf(nullptr, 0, format, counting);
#endif
  va_end(counting);
  if (length <= 0) return length;
  // The formatter's closing zero goes where the string keeps its own.
  std::string text(static_cast<std::size_t>(length), '\0');
#ifdef _WIN32
  _vsnprintf(text.data(), text.size() + 1, format, args);
#else
  std::vsnprintf(text.data(), text.size() + 1, format, args);
#endif
  // Standard error, or what the runtime's function could not write.
  if (!held && written < 0) {
#ifdef _WIN32
    // Through the handle: the runtime's FILE buffers are its own.
    WriteToHandle(toError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE, text);
#else
    std::fwrite(text.data(), 1, text.size(), toError ? stderr : stdout);
#endif
  }
  if (keep) KeepVmOutput(text);
  return length;
}

void KeepVmOutput(std::string_view bytes) {
  TailLock lock;
  tail.Append(bytes);
}

void VmStarted() { vmStarting.store(false, std::memory_order_release); }

bool VmStarting() { return vmStarting.load(std::memory_order_acquire); }

void StandardStreamsHeld(bool output, bool error) {
  outputHeld = output;
  errorHeld = error;
}

std::string VmOutputTail() {
  TailLock lock;
  return tail.Text();
}

}  // namespace jvm
