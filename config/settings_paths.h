// Where the settings live: the file beside the executable, the per-user copy of
// "JRE Path", the paired product's file, and the embedded settings text.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "common/path_text.h"

namespace config {

// Rules (plain text work).
// The executable's path cut after its last "." with "ini" appended; none
// when the path has no ".".
std::optional<std::wstring> SettingsPathFor(std::wstring_view executablePath);
// The product name without the nine characters \ ? " | > < : / *.
std::wstring CleanProductName(std::wstring_view productName);
// appData\cleaned product name\productCode\<program file name>.ini
std::wstring PerUserSettingsPathFor(std::wstring_view programPath, std::wstring_view productName,
                                    std::wstring_view productCode, std::wstring_view appData);
using text::ResolveFromExecutableFolder;

// Reads a module path through `read` (GetModuleFileNameW's contract: the
// count copied, the buffer size when the path was cut), growing the buffer
// until the whole path fits. None when `read` fails; `error` then holds the
// reason.
using ModulePathReader = DWORD (*)(void* context, wchar_t* buffer, DWORD size, DWORD* error);
std::optional<std::wstring> ReadWholeModulePath(ModulePathReader read, void* context, DWORD* error);

// Edges.
// The running executable's full path, however long. On failure the error box
// of format 202 with reason 208 is shown (owned by `owner`) and none returned.
std::optional<std::wstring> GetExecutablePath(HWND owner);
// The per-user settings file for `programPath`, creating its two folders when
// asked (an existing folder or a failure is ignored). The folder is "APPDATA",
// or the user's roaming application-data folder when that is unset; empty when
// neither is known.
std::wstring GetPerUserSettingsPath(const std::wstring& programPath, const std::wstring& productName,
                                    const std::wstring& productCode, bool createFolders);
// The paired product's own settings file: `pairProduct` cut after its last
// "." with "ini" appended; none when it is empty or has no ".".
std::optional<std::wstring> GetPairedSettingsPath(const std::wstring& pairProduct);
// The settings text carried by the executable, deciphered with the upgrade
// code; empty when there is none or it cannot be read.
std::wstring EmbeddedSettingsText(const std::wstring& upgradeCode);

}  // namespace config
