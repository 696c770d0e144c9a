// The command line, the two splitting rules and the switch test.
#include "common/splitting.h"
#include "launcher/command_line.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const wchar_t* const kSeparators[] = {L";", L"\r\n", L"\\", L" ", L""};
  const std::wstring text = fuzz::WideText(data + 1, size - 1);

  std::vector<std::wstring> arguments = launcher::ArgumentsFromCommandLine(text);
  launcher::HasNoSplashSwitch(arguments);
  launcher::ArgumentsFromCommandLine(text, true);
  std::vector<std::wstring> pieces;
  text::SplitArguments(text, pieces);

  const std::wstring separator = kSeparators[data[0] % 5];
  text::SplitBySeparator(pieces, text, separator);
  // Joining the pieces gives the text back, less at most one trailing separator.
  std::wstring joined;
  for (std::size_t i = 0; i < pieces.size(); ++i) joined += (i ? separator : L"") + pieces[i];
  if (!separator.empty()) {
    fuzz::Require(joined == text || joined + separator == text);
  }
  return 0;
}
