// The launcher's own command-line rules (the splitting rules are in common/).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// The process command line split, without the program name. A windowed
// program trims it and splits by the launcher's own rule (Explorer's "C:\"
// arrives as C:\); a console program splits as the system's parser does, as
// the scripts and programs that call a console tool quote for.
std::vector<std::wstring> ArgumentsFromCommandLine(std::wstring_view commandLine, bool console = false);

// An element exactly "-nosplash" or "/nosplash" (letter case counts): no splash.
bool HasNoSplashSwitch(const std::vector<std::wstring>& arguments);

}  // namespace launcher
