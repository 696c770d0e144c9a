// A value in the diagnostics log never breaks its line: control characters
// are written as escapes, everything else as it is.
#include <gtest/gtest.h>

#include "report/diagnostics_log.h"

namespace {

TEST(DiagnosticsLogText, ControlCharactersAreEscaped) {
  const struct {
    std::wstring value, logged;
  } rows[] = {
      {L"C:\\Program Files\\App\\app.exe", L"C:\\Program Files\\App\\app.exe"},
      {L"a\nexit code 0", L"a\\nexit code 0"},
      {L"a\r\nb\tc", L"a\\r\\nb\\tc"},
      {std::wstring(L"nul\0x", 5), L"nul\\u0000x"},
      {L"\x1b[2J\x7f", L"\\u001B[2J\\u007F"},
      {L"next\x85line\x2028para\x2029", L"next\\u0085line\\u2028para\\u2029"},
      {L"Gr\u00fc\u00dfe \u00a0\U0001D11E", L"Gr\u00fc\u00dfe \u00a0\U0001D11E"},
      {L"", L""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(diag::EscapeControls(row.value), row.logged) << testing::PrintToString(row.value);
  }
}

}  // namespace
