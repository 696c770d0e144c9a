// The launcher's own command-line rules (the splitting rules are in common/).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// The process command line, trimmed and split, without the program name.
std::vector<std::wstring> ArgumentsFromCommandLine(std::wstring_view commandLine);

// An element exactly "-nosplash" or "/nosplash" (letter case counts).
bool HasSwitch(const std::vector<std::wstring>& arguments);

}  // namespace launcher
