// The diagnostics log: when the environment variable VORN_LAUNCHER_LOG names a
// file, the launcher appends the story of its run to it, one UTF-8 line per
// fact, the first of a run naming its time, process, executable and the
// launcher's version. When the variable is not set (or the file cannot be
// written) every call returns at once.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace diag {

// Whether this run writes a log; decided once, on the first call. Callers
// check it before composing texts that cost work.
bool Enabled();

// Opens the log when the variable names a file now and did not at the first
// call (a service's own variables, set once the service knows its name).
// Called while no other thread of the launch logs.
void OpenWhenNamedLater();

// One piece of a log line. Its constructors stay out of line: each of the
// many call sites then passes a piece with one call instead of copying the
// text's pointer and length into place itself.
// The launcher's own words are ASCII literals, kept narrow: half the bytes
// of wide ones, and the same line once written.
class Piece {
 public:
  Piece(const char* ascii);
  Piece(const wchar_t* text);
  Piece(const std::wstring& text);
  Piece(std::wstring_view text) : text_(text) {}
  void AppendTo(std::wstring& line) const;

 private:
  std::wstring_view text_;
  const char* ascii_ = nullptr;
};

// Appends one line made of the pieces (an end of line is added), its control
// characters escaped.
void Log(std::initializer_list<Piece> pieces);

// The text with each control character (C0, C1, and the line and paragraph
// separators) written as "\n", "\r", "\t" or "\uHHHH": a logged value, an
// argument holding a line break say, cannot forge a line of its own.
std::wstring EscapeControls(std::wstring_view text);

}  // namespace diag
