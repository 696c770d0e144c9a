#include "common/shell_api.h"

#include "common/com_ids.h"

namespace win {
namespace {

template <typename Fn>
void Resolve(HMODULE library, const char* name, Fn& entry) {
  if (library != nullptr) entry = reinterpret_cast<Fn>(GetProcAddress(library, name));
}

// Filled on first use. The launcher's windows and its settings stage run on
// the main thread only, so no lock guards it.
ShellApi loaded;

}  // namespace

const ShellApi& ShellApi::Get() {
  if (loaded.loaded_) return loaded;
  loaded.loaded_ = true;
  HMODULE ole32 = LoadLibraryW(L"ole32.dll");
  HMODULE shell32 = LoadLibraryW(L"shell32.dll");
  HMODULE comctl32 = LoadLibraryW(L"comctl32.dll");
  Resolve(ole32, "CoInitializeEx", loaded.coInitializeEx);
  Resolve(ole32, "CoUninitialize", loaded.coUninitialize);
  Resolve(ole32, "CoTaskMemFree", loaded.coTaskMemFree);
  Resolve(shell32, "SHBrowseForFolderW", loaded.browseForFolder);
  Resolve(shell32, "SHGetPathFromIDListW", loaded.pathFromIdList);
  Resolve(shell32, "SHGetKnownFolderPath", loaded.knownFolderPath);
  Resolve(shell32, "ShellExecuteW", loaded.shellExecute);
  Resolve(comctl32, "InitCommonControlsEx", loaded.initCommonControls);
  return loaded;
}

ComApartment::ComApartment() {
  const ShellApi& api = ShellApi::Get();
  if (api.coInitializeEx == nullptr) return;
  // S_FALSE (already set up here) also counts: each success is undone once.
  initialised_ = SUCCEEDED(api.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

ComApartment::~ComApartment() {
  if (initialised_ && ShellApi::Get().coUninitialize != nullptr) ShellApi::Get().coUninitialize();
}

std::wstring RoamingAppDataFolder() {
  const ShellApi& api = ShellApi::Get();
  if (api.knownFolderPath == nullptr) return {};
  wchar_t* raw = nullptr;
  HRESULT result = api.knownFolderPath(win::ids::kRoamingAppDataFolder, 0, nullptr, &raw);
  CoTaskMemory<wchar_t> path(raw);
  if (FAILED(result) || !path) return {};
  return path.get();
}

}  // namespace win
