#include "config/settings_paths.h"

#include "common/shell_api.h"
#include "common/text_win.h"
#include "config/settings_cipher.h"
#include "report/diagnostics_log.h"
#include "report/error_report.h"
#include "report/message_ids.h"
#include "resources/resource_ids.h"

namespace config {

// Literals as views: their length is known when the launcher is built.
using namespace std::string_view_literals;

std::optional<std::wstring> SettingsPathFor(std::wstring_view executablePath) {
  size_t dot = executablePath.rfind(L'.');
  if (dot == std::wstring_view::npos) return std::nullopt;
  return std::wstring(executablePath.substr(0, dot + 1)) + L"ini";
}

std::wstring CleanProductName(std::wstring_view productName) {
  std::wstring out;
  for (wchar_t c : productName) {
    if (L"\\?\"|><:/*"sv.find(c) == std::wstring_view::npos) out += c;
  }
  return out;
}

std::wstring PerUserSettingsPathFor(std::wstring_view programPath, std::wstring_view productName,
                                    std::wstring_view productCode, std::wstring_view appData) {
  size_t slash = programPath.rfind(L'\\');
  std::wstring name(slash == std::wstring_view::npos ? programPath : programPath.substr(slash + 1));
  size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  name += L".ini";
  // An empty part names no folder ("Roaming\\\\app.ini" is "Roaming\\app.ini").
  std::wstring path(appData);
  for (const std::wstring& part : {CleanProductName(productName), std::wstring(productCode), name}) {
    if (part.empty()) continue;
    path += L'\\';
    path += part;
  }
  return path;
}

std::optional<std::wstring> ReadWholeModulePath(ModulePathReader read, void* context, DWORD* error) {
  // Grow the buffer until the whole path fits: a cut path would name the
  // wrong settings file.
  constexpr DWORD kLongestPath = 32768;
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    *error = ERROR_SUCCESS;
    DWORD length = read(context, buffer.data(), static_cast<DWORD>(buffer.size()), error);
    if (length == 0) return std::nullopt;
    if (length < buffer.size() && *error != ERROR_INSUFFICIENT_BUFFER) {
      buffer.resize(length);
      return buffer;
    }
    if (buffer.size() > kLongestPath) {
      *error = ERROR_INSUFFICIENT_BUFFER;
      return std::nullopt;
    }
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

std::optional<std::wstring> GetExecutablePath(HWND owner) {
  DWORD error = 0;
  auto path = ReadWholeModulePath(
      [](void*, wchar_t* buffer, DWORD size, DWORD* lastError) {
        SetLastError(ERROR_SUCCESS);
        DWORD length = GetModuleFileNameW(nullptr, buffer, size);
        *lastError = GetLastError();
        return length;
      },
      nullptr, &error);
  if (!path) report::ReportWindowsError(owner, IDS_MODULE_PATH_FAILED, error);
  return path;
}

std::wstring GetPerUserSettingsPath(const std::wstring& programPath, const std::wstring& productName,
                                    const std::wstring& productCode, bool createFolders) {
  std::wstring appData = text::GetEnvironment(L"APPDATA");
  // Without "APPDATA" the path would start at the root of the current drive:
  // take the folder the variable normally names from the shell instead.
  if (appData.empty()) appData = win::RoamingAppDataFolder();
  if (appData.empty()) return {};
  std::wstring path = PerUserSettingsPathFor(programPath, productName, productCode, appData);
  if (createFolders) {
    // The product's folder, then the product code's within it: the path cut
    // at the separator after the product's name (a name without one), then
    // at the one before the file's name.
    for (std::size_t end : {path.find(L'\\', appData.size() + 1), path.rfind(L'\\')}) {
      path[end] = L'\0';
      CreateDirectoryW(path.c_str(), nullptr);
      path[end] = L'\\';
    }
  }
  return path;
}

std::optional<std::wstring> GetPairedSettingsPath(const std::wstring& pairProduct) {
  if (pairProduct.empty()) return std::nullopt;
  return SettingsPathFor(pairProduct);
}

std::wstring EmbeddedSettingsText(const std::wstring& upgradeCode) {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC info = FindResourceW(self, MAKEINTRESOURCEW(IDR_EMBEDDED_SETTINGS), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (info == nullptr) return {};
  DWORD size = SizeofResource(self, info);
  HGLOBAL loaded = LoadResource(self, info);
  if (loaded == nullptr || size == 0) return {};
  const void* data = LockResource(loaded);
  if (data == nullptr) return {};
  auto textOut = DecipherSettings(static_cast<const std::uint8_t*>(data), size, upgradeCode);
  // Without this line a lost key looks like settings that were never there.
  if (!textOut) diag::Log({"embedded settings skipped: the .ini's \"Upgrade Code\" is not theirs"});
  return textOut.value_or(std::wstring());
}

}  // namespace config
