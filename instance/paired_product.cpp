// The paired product: the companion executable started instead of a virtual
// machine when the chosen runtime is a 32-bit one.
#include <windows.h>

#include <cstring>

#include "common/win_handles.h"
#include "instance/single_instance.h"

namespace instance {

int StartPairedProduct(const std::wstring& pairProduct, bool returnPairExitCode) {
  STARTUPINFOW startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  // The program name alone: none of the launcher's arguments, and a path with
  // spaces must not split into arguments of its own.
  std::wstring commandLine = L"\"" + pairProduct + L"\"";
  if (!CreateProcessW(pairProduct.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started)) {
    return 0;
  }
  win::Handle process(started.hProcess);
  win::Handle thread(started.hThread);
  if (!returnPairExitCode) return 0;
  WaitForSingleObject(process.get(), INFINITE);
  DWORD code = 0;
  if (!GetExitCodeProcess(process.get(), &code)) return 0;
  return static_cast<int>(code);
}

}  // namespace instance
