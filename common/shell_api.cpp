#include "common/shell_api.h"

#include "common/com_ids.h"

namespace win {
namespace {

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
  FindEntryPoint(ole32, "CoInitializeEx", loaded.coInitializeEx);
  FindEntryPoint(ole32, "CoUninitialize", loaded.coUninitialize);
  FindEntryPoint(ole32, "CoTaskMemFree", loaded.coTaskMemFree);
  FindEntryPoint(shell32, "SHBrowseForFolderW", loaded.browseForFolder);
  FindEntryPoint(shell32, "SHGetPathFromIDListW", loaded.pathFromIdList);
  FindEntryPoint(shell32, "SHGetKnownFolderPath", loaded.knownFolderPath);
  FindEntryPoint(shell32, "ShellExecuteW", loaded.shellExecute);
  FindEntryPoint(comctl32, "InitCommonControlsEx", loaded.initCommonControls);
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
