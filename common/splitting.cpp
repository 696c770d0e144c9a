#include "common/splitting.h"

namespace text {

void SplitArguments(std::wstring_view text, std::vector<std::wstring>& out) {
  size_t p = 0;
  const size_t n = text.size();
  if (n == 0) return;
  for (;;) {
    // A piece in double quotes ends at the next one (or the text's end), any
    // other at the next space.
    const bool quoted = text[p] == L'"';
    p += quoted;
    const size_t end = text.find(quoted ? L'"' : L' ', p);
    out.emplace_back(text.substr(p, end - p));
    if (end == std::wstring_view::npos) return;
    p = end + quoted;
    while (p < n && text[p] == L' ') ++p;
    if (p >= n) return;
  }
}

void SplitLikeSystem(std::wstring_view line, std::vector<std::wstring>& out) {
  const size_t n = line.size();
  auto blank = [&line](size_t at) { return line[at] == L' ' || line[at] == L'\t'; };
  size_t p = 0;
  // The program name ends at its closing double quote when it starts with
  // one, else at a blank (so a line that starts with one has an empty name);
  // no escapes in it.
  if (p < n && line[p] == L'"') {
    ++p;
    while (p < n && line[p++] != L'"') {
    }
  } else {
    while (p < n && !blank(p)) ++p;
  }
  for (;;) {
    while (p < n && blank(p)) ++p;
    if (p >= n) return;
    std::wstring piece;
    bool quoted = false;
    size_t backslashes = 0;
    for (; p < n && (quoted || !blank(p)); ++p) {
      const wchar_t c = line[p];
      if (c != L'"') {
        backslashes = c == L'\\' ? backslashes + 1 : 0;
        piece += c;
        continue;
      }
      // Half the backslashes before it stay; an odd one escapes the quote.
      piece.resize(piece.size() - (backslashes + 1) / 2);
      if (backslashes % 2 == 1) {
        piece += c;
      } else if (quoted && p + 1 < n && line[p + 1] == L'"') {
        piece += c;  // "" inside quotes: one literal quote, and the quotes end
        ++p;
        quoted = false;
      } else {
        quoted = !quoted;
      }
      backslashes = 0;
    }
    out.push_back(std::move(piece));
  }
}

void SplitBySeparator(std::vector<std::wstring>& out, std::wstring_view text, std::wstring_view separator) {
  out.clear();
  if (separator.empty()) {
    if (!text.empty()) out.emplace_back(text);
    return;
  }
  size_t start = 0;
  for (;;) {
    size_t at = text.find(separator, start);
    if (at == std::wstring_view::npos) break;
    out.emplace_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  if (start < text.size()) out.emplace_back(text.substr(start));
}

}  // namespace text
