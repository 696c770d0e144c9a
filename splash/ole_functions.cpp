#include "splash/ole_functions.h"

#include <string>

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

template <typename Function>
bool Find(HMODULE library, const char* name, Function& function) {
  function = library != nullptr ? reinterpret_cast<Function>(GetProcAddress(library, name)) : nullptr;
  return function != nullptr;
}

}  // namespace

const OleFunctions* LoadOleFunctions() {
  // Only the splash thread loads pictures; the loaded table is kept.
  static OleFunctions functions;
  static bool loaded = false;
  if (loaded) return &functions;
  HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
  HMODULE oleaut32 = LoadSystemLibrary(L"oleaut32.dll");
  loaded = Find(ole32, "CreateStreamOnHGlobal", functions.createStreamOnHGlobal) &&
           Find(oleaut32, "OleLoadPicture", functions.oleLoadPicture) &&
           Find(ole32, "CoInitializeEx", functions.coInitializeEx) &&
           Find(ole32, "CoUninitialize", functions.coUninitialize) &&
           Find(ole32, "CoCreateInstance", functions.coCreateInstance);
  return loaded ? &functions : nullptr;
}

}  // namespace splash
