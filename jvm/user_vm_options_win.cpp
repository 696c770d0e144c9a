#include "jvm/user_vm_options_win.h"

#include <windows.h>

#include "common/win_handles.h"
#include "config/settings_paths.h"
#include "config/settings_store.h"
#include "jvm/user_vm_options.h"
#include "report/diagnostics_log.h"

namespace jvm {

bool ProcessIsElevated() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return true;
  win::Handle token(raw);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return !GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) ||
         elevation.TokenIsElevated != 0;
}

void AddUserVmOptions(std::vector<std::wstring>& texts, const MemoryFigures& memory, std::uint64_t& stackSize,
                      const std::wstring& setting, bool isService, const std::wstring& executablePath,
                      const std::wstring& productName, const std::wstring& productCode) {
  // Beside the per-user settings file: "vmoptions" for its "ini".
  std::wstring path = config::GetPerUserSettingsPath(executablePath, productName, productCode, false);
  if (!path.empty()) path.replace(path.size() - 3, 3, L"vmoptions");
  const std::size_t before = texts.size();
  const char* problem = UserVmOptionsRefusal(setting, isService, ProcessIsElevated());
  if (problem == nullptr) {
    // One byte past the bound is enough to refuse a larger file.
    const std::string bytes = config::ReadFileBytes(path, kLargestUserVmOptionsFile + 1);
    problem = bytes.empty() ? "nothing read" : AppendFileVmOptions(texts, bytes, config::FromUtf8, memory, stackSize);
  }
  diag::Log({"User VM options file ", path, ": ", problem != nullptr ? problem : "read"});
  for (std::size_t i = before; i < texts.size(); ++i) diag::Log({"User VM option ", texts[i]});
}

}  // namespace jvm
