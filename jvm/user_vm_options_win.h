// The user's own VM options file, read when the rules allow it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jvm/vm_options.h"

namespace jvm {

// Whether this process's token is elevated; one that cannot be read counts as
// elevated. Such a start takes nothing from the user's own folders that a
// process of the user could have planted there.
bool ProcessIsElevated();

// Appends the options of %APPDATA%\<product>\<code>\<program>.vmoptions to
// `texts` (AppendFileVmOptions) when `setting` ("User VM Options") allows them
// for this process; nothing when it does not, when the file is missing, or
// when it cannot be used. The diagnostics log names the file and each option,
// or says why there are none.
void AddUserVmOptions(std::vector<std::wstring>& texts, const MemoryFigures& memory, std::uint64_t& stackSize,
                      const std::wstring& setting, bool isService, const std::wstring& executablePath,
                      const std::wstring& productName, const std::wstring& productCode);

}  // namespace jvm
