#include "report/console_mode.h"

#include <windows.h>

#include <atomic>
#include <cstring>

namespace report {

std::uint16_t ImageSubsystem(const std::uint8_t* image, std::size_t size) {
  auto read = [&](std::size_t at, std::size_t bytes) -> std::uint32_t {
    std::uint32_t value = 0;
    if (at > size || size - at < bytes) return 0;
    std::memcpy(&value, image + at, bytes);
    return value;
  };
  if (image == nullptr || read(0, 2) != IMAGE_DOS_SIGNATURE) return 0;
  const std::size_t headers = read(0x3C, 4);
  if (read(headers, 4) != IMAGE_NT_SIGNATURE) return 0;
  const std::size_t optional = headers + 4 + sizeof(IMAGE_FILE_HEADER);
  if (read(optional, 2) != IMAGE_NT_OPTIONAL_HDR64_MAGIC) return 0;
  return static_cast<std::uint16_t>(read(optional + offsetof(IMAGE_OPTIONAL_HEADER64, Subsystem), 2));
}

namespace {
// -1 until read; every thread that reads it finds the same value. (A local
// static would bring in the runtime's guarded initialisation.)
std::atomic<int> ownSubsystem{-1};
}  // namespace

bool WindowsAllowed() {
  int subsystem = ownSubsystem.load(std::memory_order_relaxed);
  if (subsystem < 0) {
    // The headers of the own image stay mapped and always span the first page.
    subsystem = ImageSubsystem(reinterpret_cast<const std::uint8_t*>(GetModuleHandleW(nullptr)), 4096);
    ownSubsystem.store(subsystem, std::memory_order_relaxed);
  }
  return subsystem != IMAGE_SUBSYSTEM_WINDOWS_CUI;
}

int ExitCodeAfterUncaughtException() { return WindowsAllowed() ? 0 : 1; }

}  // namespace report
