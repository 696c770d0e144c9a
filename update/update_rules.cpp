#include "update/update_rules.h"

namespace update {

std::optional<std::wstring> RelativePathBelow(std::wstring_view path) {
  std::wstring relative(path);
  for (wchar_t& c : relative) {
    if (c == L'/') c = L'\\';
  }
  if (relative.empty() || relative.size() > 260) return std::nullopt;
  std::size_t start = 0;
  while (start <= relative.size()) {
    std::size_t end = relative.find(L'\\', start);
    if (end == std::wstring::npos) end = relative.size();
    const std::wstring_view step = std::wstring_view(relative).substr(start, end - start);
    if (step.empty() || step == L"." || step == L"..") return std::nullopt;
    for (wchar_t c : step) {
      if (c < L' ' || std::wstring_view(L"<>:\"|?*").find(c) != std::wstring_view::npos) return std::nullopt;
    }
    start = end + 1;
  }
  return relative;
}

std::wstring JournalText(const std::vector<std::wstring>& files) {
  std::wstring text;
  for (const std::wstring& file : files) text += file + L'\n';
  return text;
}

Journal ParseJournal(std::wstring_view text) {
  Journal journal;
  for (std::size_t end; (end = text.find(L'\n')) != std::wstring_view::npos; text.remove_prefix(end + 1)) {
    const std::wstring_view line = text.substr(0, end);
    if (line == std::wstring_view(kJournalDone, 5)) {
      journal.done = true;
    } else if (auto path = RelativePathBelow(line)) {
      journal.files.push_back(std::move(*path));
    }
  }
  return journal;
}

}  // namespace update
