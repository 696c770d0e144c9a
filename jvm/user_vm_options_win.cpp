#include "jvm/user_vm_options_win.h"

#include <windows.h>

#include "common/path_text.h"
#include "common/win_handles.h"
#include "config/settings_paths.h"
#include "jvm/user_vm_options.h"
#include "report/diagnostics_log.h"

namespace jvm {
namespace {

// An elevation that cannot be learnt counts as one: the file is then not read.
bool ProcessIsElevated() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return true;
  win::Handle token(raw);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return !GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) ||
         elevation.TokenIsElevated != 0;
}

}  // namespace

std::vector<std::wstring> ReadUserVmOptions(const std::wstring& setting, bool isService,
                                            const std::wstring& executablePath, const std::wstring& productName,
                                            const std::wstring& productCode) {
  const wchar_t* refusal = UserVmOptionsRefusal(setting, isService, ProcessIsElevated());
  if (refusal != nullptr) {
    diag::Log({L"User VM options not read: ", refusal});
    return {};
  }
  const std::wstring settingsPath = config::GetPerUserSettingsPath(executablePath, productName, productCode, false);
  if (settingsPath.empty()) return {};
  const std::wstring path = UserVmOptionsPathFor(settingsPath);

  // One byte past the bound tells a file that is too large.
  std::string bytes(kLargestUserVmOptionsFile + 1, '\0');
  DWORD read = 0;
  win::FileHandle file(CreateFileW(text::LongPathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  const DWORD error = file ? 0 : GetLastError();
  UserVmOptions parsed;
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    parsed.problem = L"missing";
  } else if (!file || !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    parsed.problem = L"unreadable";
  } else {
    bytes.resize(read);
    parsed = ParseUserVmOptions(bytes);
  }
  diag::Log({L"User VM options file ", path, L": ", parsed.problem != nullptr ? parsed.problem : L"read"});
  for (const std::wstring& option : parsed.options) diag::Log({L"User VM option ", option});
  return std::move(parsed.options);
}

}  // namespace jvm
