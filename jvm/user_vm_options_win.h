// The user's own VM options file, read when the rules allow it.
#pragma once

#include <string>
#include <vector>

namespace jvm {

// The options of %APPDATA%\<product>\<code>\<program>.vmoptions when
// `setting` ("User VM Options") allows them for this process; none when it
// does not, when the file is missing, or when it cannot be used. The
// diagnostics log names the file and each option, or says why there are none.
std::vector<std::wstring> ReadUserVmOptions(const std::wstring& setting, bool isService,
                                            const std::wstring& executablePath, const std::wstring& productName,
                                            const std::wstring& productCode);

}  // namespace jvm
