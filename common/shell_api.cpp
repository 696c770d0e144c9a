#include "common/shell_api.h"

namespace win {
namespace {

template <typename Fn>
void Resolve(const Library& library, const char* name, Fn& entry) {
  if (library) entry = reinterpret_cast<Fn>(GetProcAddress(library.get(), name));
}

// Filled on first use. The launcher's windows and its settings stage run on
// the main thread only, so no lock guards it.
ShellApi loaded;

}  // namespace

const ShellApi& ShellApi::Get() {
  if (loaded.loaded_) return loaded;
  loaded.loaded_ = true;
  loaded.ole32_.reset(LoadLibraryW(L"ole32.dll"));
  loaded.shell32_.reset(LoadLibraryW(L"shell32.dll"));
  loaded.comctl32_.reset(LoadLibraryW(L"comctl32.dll"));
  Resolve(loaded.ole32_, "CoInitializeEx", loaded.coInitializeEx);
  Resolve(loaded.ole32_, "CoUninitialize", loaded.coUninitialize);
  Resolve(loaded.ole32_, "CoTaskMemFree", loaded.coTaskMemFree);
  Resolve(loaded.shell32_, "SHBrowseForFolderW", loaded.browseForFolder);
  Resolve(loaded.shell32_, "SHGetPathFromIDListW", loaded.pathFromIdList);
  Resolve(loaded.shell32_, "SHGetKnownFolderPath", loaded.knownFolderPath);
  Resolve(loaded.shell32_, "ShellExecuteW", loaded.shellExecute);
  Resolve(loaded.comctl32_, "InitCommonControlsEx", loaded.initCommonControls);
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
  HRESULT result = api.knownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &raw);
  CoTaskMemory<wchar_t> path(raw);
  if (FAILED(result) || !path) return {};
  return path.get();
}

}  // namespace win
