#include "splash/ole_functions.h"

#include <string>

#include "common/win_handles.h"

namespace splash {

namespace {

// A library of the system folder (never one beside the executable).
HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path(folder, length);
  path += L'\\';
  path += name;
  return LoadLibraryW(path.c_str());
}

}  // namespace

const OleFunctions* LoadOleFunctions() {
  // Only the splash thread loads pictures; the loaded table is kept.
  static OleFunctions functions;
  static bool loaded = false;
  if (loaded) return &functions;
  HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
  HMODULE oleaut32 = LoadSystemLibrary(L"oleaut32.dll");
  loaded = win::FindEntryPoint(ole32, "CreateStreamOnHGlobal", functions.createStreamOnHGlobal) &&
           win::FindEntryPoint(oleaut32, "OleLoadPicture", functions.oleLoadPicture) &&
           win::FindEntryPoint(ole32, "CoInitializeEx", functions.coInitializeEx) &&
           win::FindEntryPoint(ole32, "CoUninitialize", functions.coUninitialize) &&
           win::FindEntryPoint(ole32, "CoCreateInstance", functions.coCreateInstance);
  return loaded ? &functions : nullptr;
}

}  // namespace splash
