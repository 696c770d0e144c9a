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
struct DeleteObjectFn {
  void operator()(HGDIOBJ o) const { ::DeleteObject(o); }
};
struct DeleteDcFn {
  void operator()(HDC dc) const { ::DeleteDC(dc); }
};
struct GlobalFreeFn {
  void operator()(HGLOBAL m) const { ::GlobalFree(m); }
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
using Bitmap = Unique<HBITMAP, nullptr, DeleteObjectFn>;
using MemoryDc = Unique<HDC, nullptr, DeleteDcFn>;
using GlobalMemory = Unique<HGLOBAL, nullptr, GlobalFreeFn>;

// A bitmap selected into a device context for the owner's lifetime; the
// context's previous bitmap is put back at the end.
class SelectedBitmap {
 public:
  SelectedBitmap(HDC dc, HBITMAP bitmap) : dc_(dc), old_(::SelectObject(dc, bitmap)) {}
  ~SelectedBitmap() {
    if (old_ != nullptr && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }
  SelectedBitmap(const SelectedBitmap&) = delete;
  SelectedBitmap& operator=(const SelectedBitmap&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A screen device context from GetDC(nullptr).
class ScreenDc {
 public:
  ScreenDc() : dc_(::GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) ::ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// One reference of a COM interface.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out-parameters: releases what is held first.
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  void reset() {
    if (p_ != nullptr) std::exchange(p_, nullptr)->Release();
  }

 private:
  T* p_ = nullptr;
};

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
