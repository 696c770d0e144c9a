#include "launcher/command_line.h"

#include "common/splitting.h"
#include "common/text.h"

namespace launcher {

// Literals as views: their length is known when the launcher is built.
using namespace std::string_view_literals;

std::vector<std::wstring> ArgumentsFromCommandLine(std::wstring_view commandLine, bool console) {
  std::vector<std::wstring> pieces;
  if (console) {
    text::SplitLikeSystem(commandLine, pieces);
    return pieces;
  }
  text::SplitArguments(text::Trim(commandLine), pieces);
  if (!pieces.empty()) pieces.erase(pieces.begin());
  return pieces;
}

bool HasNoSplashSwitch(const std::vector<std::wstring>& arguments) {
  for (const std::wstring& argument : arguments) {
    if (argument == L"-nosplash"sv || argument == L"/nosplash"sv) return true;
  }
  return false;
}

}  // namespace launcher
