// Owners for Windows handles: each handle has exactly one owner that releases it.
#pragma once

#include <windows.h>

#include <utility>

namespace win {

template <typename T, T Invalid, typename Close>
class Unique {
 public:
  Unique() = default;
  explicit Unique(T value) : value_(value) {}
  ~Unique() { reset(); }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : value_(std::exchange(other.value_, Invalid)) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) {
      reset();
      value_ = std::exchange(other.value_, Invalid);
    }
    return *this;
  }
  T get() const { return value_; }
  explicit operator bool() const { return value_ != Invalid; }
  T release() { return std::exchange(value_, Invalid); }
  void reset(T value = Invalid) {
    if (value_ != Invalid) Close{}(value_);
    value_ = value;
  }

 private:
  T value_ = Invalid;
};

struct CloseHandleFn {
  void operator()(HANDLE h) const { ::CloseHandle(h); }
};
struct FindCloseFn {
  void operator()(HANDLE h) const { ::FindClose(h); }
};
struct RegCloseKeyFn {
  void operator()(HKEY k) const { ::RegCloseKey(k); }
};
struct FreeLibraryFn {
  void operator()(HMODULE m) const { ::FreeLibrary(m); }
};
struct UnmapViewFn {
  void operator()(void* p) const { ::UnmapViewOfFile(p); }
};

// Handles that are null when absent (threads, events, mappings).
using Handle = Unique<HANDLE, nullptr, CloseHandleFn>;
// Handles that are INVALID_HANDLE_VALUE when absent (files).
struct FileHandle : Unique<HANDLE, nullptr, CloseHandleFn> {
  explicit FileHandle(HANDLE h) : Unique(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  FileHandle() = default;
};
// Search handles are INVALID_HANDLE_VALUE when FindFirstFileW finds nothing.
struct FindHandle : Unique<HANDLE, nullptr, FindCloseFn> {
  explicit FindHandle(HANDLE h) : Unique(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  FindHandle() = default;
};
using RegistryKey = Unique<HKEY, nullptr, RegCloseKeyFn>;
using Library = Unique<HMODULE, nullptr, FreeLibraryFn>;
using MappedView = Unique<void*, nullptr, UnmapViewFn>;

// Ownership of a mutex taken with a wait; released when the owner goes.
class HeldMutex {
 public:
  // Waits up to `milliseconds`; a mutex its last owner abandoned counts as taken.
  HeldMutex(HANDLE mutex, DWORD milliseconds) {
    const DWORD waited = ::WaitForSingleObject(mutex, milliseconds);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) mutex_ = mutex;
  }
  ~HeldMutex() {
    if (mutex_ != nullptr) ::ReleaseMutex(mutex_);
  }
  HeldMutex(const HeldMutex&) = delete;
  HeldMutex& operator=(const HeldMutex&) = delete;
  explicit operator bool() const { return mutex_ != nullptr; }

 private:
  HANDLE mutex_ = nullptr;
};

// True when FindFirstFileW finds the path (handle closed at once).
inline bool PathFound(const wchar_t* path) {
  WIN32_FIND_DATAW data;
  HANDLE h = ::FindFirstFileW(path, &data);
  if (h == INVALID_HANDLE_VALUE) return false;
  ::FindClose(h);
  return true;
}

}  // namespace win
