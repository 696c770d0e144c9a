#include "report/console_mode.h"

#include <windows.h>

#include <atomic>

namespace report {

namespace {
// -1 until read; every thread that reads it finds the same value. (A local
// static would bring in the runtime's guarded initialisation.)
std::atomic<int> ownSubsystem{-1};
}  // namespace

bool IsConsoleProgram() {
  int subsystem = ownSubsystem.load(std::memory_order_relaxed);
  if (subsystem < 0) {
    // The process's own image: its headers stay mapped and are well formed.
    const auto* image = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    subsystem = nt->OptionalHeader.Subsystem;
    ownSubsystem.store(subsystem, std::memory_order_relaxed);
  }
  return subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
}

}  // namespace report
