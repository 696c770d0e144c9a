#include "launcher/command_line.h"

#include <algorithm>

#include "common/splitting.h"
#include "common/text.h"

namespace launcher {

std::vector<std::wstring> ArgumentsFromCommandLine(std::wstring_view commandLine) {
  std::vector<std::wstring> pieces;
  text::SplitArguments(text::Trim(commandLine), pieces);
  if (!pieces.empty()) pieces.erase(pieces.begin());
  return pieces;
}

bool HasSwitch(const std::vector<std::wstring>& arguments) {
  auto has = [&](const wchar_t* s) { return std::find(arguments.begin(), arguments.end(), s) != arguments.end(); };
  return has(L"-nosplash") || has(L"/nosplash");
}

}  // namespace launcher
