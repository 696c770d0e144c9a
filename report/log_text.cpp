// The diagnostics log's text rule, plain C++: a logged value never breaks
// its line.
#include "report/diagnostics_log.h"

namespace diag {

std::wstring EscapeControls(std::wstring_view text) {
  std::wstring escaped;
  for (wchar_t c : text) {
    // C0 and C1 controls, and the line and paragraph separators: each could
    // start a line of its own in a reader of the log.
    if (c >= 0x20 && (c < 0x7F || c > 0x9F) && c != 0x2028 && c != 0x2029) {
      escaped += c;
      continue;
    }
    wchar_t escape[] = L"\\u0000";
    if (c == L'\n' || c == L'\r' || c == L'\t') {
      escape[1] = c == L'\n' ? L'n' : c == L'\r' ? L'r' : L't';
      escape[2] = L'\0';
    } else {
      for (int i = 5; i > 1; --i, c >>= 4) escape[i] = L"0123456789ABCDEF"[c & 0xF];
    }
    escaped += escape;
  }
  return escaped;
}

}  // namespace diag
