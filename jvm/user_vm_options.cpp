#include "jvm/user_vm_options.h"

#include "common/splitting.h"
#include "common/text.h"
#include "config/settings_catalogue.h"

namespace jvm {

const char* UserVmOptionsRefusal(std::wstring_view setting, bool isService, bool elevated) {
  if (!config::IsYes(setting)) return "off";
  if (isService) return "service";
  if (elevated) return "elevated";
  return nullptr;
}

const char* AppendFileVmOptions(std::vector<std::wstring>& texts, std::string_view bytes,
                                   config::ByteDecoder fromUtf8, const MemoryFigures& memory,
                                   std::uint64_t& stackSize) {
  if (bytes.size() > kLargestUserVmOptionsFile) return "too large";
  // The settings files' decoding, but what is not UTF-16 must be UTF-8.
  const std::wstring text = config::DecodeProfileBytes(bytes, fromUtf8, fromUtf8);
  // A NUL, or what the decoder put in place of invalid UTF-8.
  if (text.find_first_of(std::wstring_view(L"\0\uFFFD", 2)) != std::wstring::npos) return "malformed";
  // A carriage return ends a line too, alone as in old Mac files or before
  // a line feed (the empty line between is skipped).
  std::vector<std::wstring> lines;
  text::SplitBySeparator(lines, text::ReplaceAll(text, L'\r', L'\n'), L"\n");
  const std::size_t before = texts.size();
  const std::uint64_t stackBefore = stackSize;
  for (const std::wstring& line : lines) {
    std::wstring option = text::Trim(line);
    if (!option.empty() && option.front() != L'#') AppendVmOption(texts, option, memory, stackSize);
  }
  if (texts.size() - before <= kMostUserVmOptions) return nullptr;
  texts.erase(texts.begin() + static_cast<std::ptrdiff_t>(before), texts.end());
  stackSize = stackBefore;
  return "too large";
}

}  // namespace jvm
