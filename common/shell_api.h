// Shell, COM and common-control entry points, loaded on first use. Only the
// missing-runtime dialog, its link and a missing "APPDATA" need them, so a
// start that finds its runtime does not pay for loading these libraries.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "common/win_handles.h"

namespace win {

struct ShellApi {
  decltype(&::CoInitializeEx) coInitializeEx = nullptr;
  decltype(&::CoUninitialize) coUninitialize = nullptr;
  decltype(&::CoTaskMemFree) coTaskMemFree = nullptr;
  decltype(&::SHBrowseForFolderW) browseForFolder = nullptr;
  decltype(&::SHGetPathFromIDListW) pathFromIdList = nullptr;
  decltype(&::SHGetKnownFolderPath) knownFolderPath = nullptr;
  decltype(&::ShellExecuteW) shellExecute = nullptr;
  decltype(&::InitCommonControlsEx) initCommonControls = nullptr;

  // Loaded once per process, on first use from the main thread, and kept for
  // good: the shell and the common controls leave threads and windows of their
  // own behind, which must not lose their code while the process ends. An
  // entry point that cannot be found stays null.
  static const ShellApi& Get();

 private:
  bool loaded_ = false;
};

struct CoTaskMemFreeFn {
  void operator()(void* p) const {
    if (auto free = ShellApi::Get().coTaskMemFree) free(p);
  }
};
// Memory the shell hands out (item lists, folder paths).
template <typename T>
using CoTaskMemory = Unique<T*, nullptr, CoTaskMemFreeFn>;

// COM set up on the calling thread (single-threaded apartment) for as long as
// it lives; undone only when this object set it up.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialised_ = false;
};

// The user's roaming application-data folder from the shell; empty when the
// shell cannot name it.
std::wstring RoamingAppDataFolder();

}  // namespace win
