// The diagnostics log's plain C++ part: the pieces of a line, and the text
// rule by which a logged value never breaks its line.
#include "report/diagnostics_log.h"

namespace diag {

// noipa, not noinline: link-time optimisation would otherwise copy these
// bodies back into every call site; a compiler without it builds them plainly.
#if __has_cpp_attribute(gnu::noipa)
#define OUT_OF_EVERY_CALL_SITE [[gnu::noipa]]
#else
#define OUT_OF_EVERY_CALL_SITE
#endif
OUT_OF_EVERY_CALL_SITE Piece::Piece(const char* ascii) : ascii_(ascii) {}
OUT_OF_EVERY_CALL_SITE Piece::Piece(const wchar_t* text) : text_(text) {}
OUT_OF_EVERY_CALL_SITE Piece::Piece(const std::wstring& text) : text_(text) {}

void Piece::AppendTo(std::wstring& line) const {
  line += text_;
  for (const char* c = ascii_; c != nullptr && *c != '\0'; ++c) line += static_cast<wchar_t>(*c);
}

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
