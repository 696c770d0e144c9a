#include "common/splitting.h"

namespace text {

void SplitArguments(std::wstring_view text, std::vector<std::wstring>& out) {
  size_t p = 0;
  const size_t n = text.size();
  if (n == 0) return;
  for (;;) {
    if (text[p] == L'"') {
      size_t close = text.find(L'"', p + 1);
      if (close == std::wstring_view::npos) {
        out.emplace_back(text.substr(p + 1));
        return;
      }
      out.emplace_back(text.substr(p + 1, close - p - 1));
      p = close + 1;
    } else {
      size_t space = text.find(L' ', p);
      if (space == std::wstring_view::npos) {
        out.emplace_back(text.substr(p));
        return;
      }
      out.emplace_back(text.substr(p, space - p));
      p = space;
    }
    while (p < n && text[p] == L' ') ++p;
    if (p >= n) return;
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
