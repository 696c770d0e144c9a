// Owners for Windows handles: each handle has exactly one owner that releases it.
#pragma once

#include <windows.h>
#include <unknwn.h>

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
struct DestroyCursorFn {
  void operator()(HCURSOR c) const { ::DestroyCursor(c); }
};
struct DestroyWindowFn {
  void operator()(HWND w) const { ::DestroyWindow(w); }
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

using Font = Unique<HFONT, nullptr, DeleteObjectFn>;
using Cursor = Unique<HCURSOR, nullptr, DestroyCursorFn>;
using Window = Unique<HWND, nullptr, DestroyWindowFn>;

// A window's device context from GetDC (the screen's for no window), released
// to that window.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A GDI object selected into a device context until this goes; nothing is
// selected when `object` is null.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (old_ != nullptr && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Releases one reference of a COM object: Release is IUnknown's, so one
// function out of line (win_handles.cpp) serves every interface's owner.
void ReleaseInterface(IUnknown* object);

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
    if (p_ != nullptr) ReleaseInterface(std::exchange(p_, nullptr));
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

// The entry point `name` of a library loaded on first use; null when the
// library could not be loaded (null) or lacks it. One function out of line
// (win_handles.cpp) for the shell's and the splash picture's entry points;
// FindEntryPoint sets a typed one and says whether it was found.
FARPROC EntryPoint(HMODULE library, const char* name);
template <typename Fn>
bool FindEntryPoint(HMODULE library, const char* name, Fn& entry) {
  entry = reinterpret_cast<Fn>(EntryPoint(library, name));
  return entry != nullptr;
}

}  // namespace win
