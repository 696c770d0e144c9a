#include "common/expansion.h"

namespace text {

std::wstring ExpandReferences(std::wstring_view text, VariableLookup lookup) {
  std::wstring out;
  size_t p = 0;
  while (p < text.size()) {
    const size_t open = text.find(L'%', p);
    if (open == std::wstring_view::npos) break;
    out.append(text.substr(p, open - p));
    const size_t close = text.find(L'%', open + 1);
    if (close != std::wstring_view::npos && close > open + 1) {
      if (auto value = lookup(text.substr(open + 1, close - open - 1))) {
        out += *value;
        p = close + 1;
        continue;
      }
    }
    out += L'%';
    p = open + 1;
  }
  out.append(text.substr(p));
  return out;
}

}  // namespace text
