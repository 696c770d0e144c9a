#include "jvm/vm_output.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
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

void WriteToStandardError(FILE* stream, const std::string& text) {
#ifdef _WIN32
  // The VM's FILE belongs to its own C runtime: write to the handle instead.
  (void)stream;
  DWORD written = 0;
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (error != nullptr && error != INVALID_HANDLE_VALUE) {
    WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
#else
  std::fwrite(text.data(), 1, text.size(), stream != nullptr ? stream : stderr);
#endif
}

}  // namespace

void OutputTail::Append(std::string_view bytes) {
  if (bytes.size() >= kVmOutputKept) bytes.remove_prefix(bytes.size() - kVmOutputKept);
  const std::size_t keep = std::min(size_, kVmOutputKept - bytes.size());
  std::memmove(bytes_.data(), bytes_.data() + size_ - keep, keep);
  std::memcpy(bytes_.data() + keep, bytes.data(), bytes.size());
  size_ = keep + bytes.size();
}

jint JNICALL VmVfprintfHook(FILE* stream, const char* format, va_list args) {
  if (format == nullptr) return 0;
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
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
#ifdef _WIN32
  _vsnprintf(text.data(), text.size(), format, args);
#else
  std::vsnprintf(text.data(), text.size(), format, args);
#endif
  text.resize(static_cast<std::size_t>(length));
  WriteToStandardError(stream, text);
  TailLock lock;
  tail.Append(text);
  return length;
}

std::string VmOutputTail() {
  TailLock lock;
  return tail.Text();
}

}  // namespace jvm
