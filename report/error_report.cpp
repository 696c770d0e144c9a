#include "report/error_report.h"

#include "common/text.h"
#include "common/text_win.h"
#include "report/console_mode.h"
#include "report/diagnostics_log.h"
#include "report/message_ids.h"
#include "report/service_mode.h"

namespace report {

namespace {

void LogMessageId(UINT id) {
  if (diag::Enabled()) diag::Log({"failure, message ", text::DecimalText(std::uint64_t{id})});
}

// The text without its closing line breaks, and one line break, on standard
// error: the console's own characters, else the ANSI code page.
void WriteErrorLine(std::wstring line) {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
  while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r')) line.pop_back();
  line += L"\r\n";
  DWORD written = 0, mode = 0;
  if (GetConsoleMode(error, &mode)) {
    WriteConsoleW(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    return;
  }
  const std::string bytes = text::ToThreadAnsi(line);
  WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

std::wstring LoadMessage(UINT id) {
  // With a zero buffer size LoadStringW hands out a pointer into the resource
  // itself, so strings of any length are read whole.
  const wchar_t* resource = nullptr;
  int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&resource), 0);
  if (length <= 0 || resource == nullptr) return {};
  return std::wstring(resource, static_cast<size_t>(length));
}

void ShowErrorBox(HWND owner, const std::wstring& text) {
  if (IsServiceProcess()) {
    diag::Log({"error to the event log: ", text});
    WriteServiceEvent(text);
    return;
  }
  const bool box = !IsConsoleProgram();
  diag::Log({box ? "error box: " : "error on standard error: ", text});
  if (box) {
    MessageBoxW(owner, text.c_str(), nullptr, MB_OK | MB_ICONERROR);
  } else {
    WriteErrorLine(text);
  }
}

void ShowMessage(HWND owner, UINT id) {
  LogMessageId(id);
  ShowErrorBox(owner, LoadMessage(id));
}

void ReportError(HWND owner, UINT formatId, const std::wstring& text, std::int32_t number) {
  LogMessageId(formatId);
  ShowErrorBox(owner, text::FormatMessageText(LoadMessage(formatId), {text}, {number}));
}

void ReportError(HWND owner, UINT formatId, const std::wstring& first, const std::wstring& second,
                 const std::wstring& vmText) {
  LogMessageId(formatId);
  std::wstring message = text::FormatMessageText(LoadMessage(formatId), {first, second});
  if (!vmText.empty()) {
    diag::Log({"VM output: ", vmText});
    if (IsServiceProcess() || !IsConsoleProgram()) message += L"\n" + vmText;  // no console has shown it
  }
  ShowErrorBox(owner, message);
}

void ReportError(HWND owner, UINT formatId, const std::wstring& text) {
  LogMessageId(formatId);
  ShowErrorBox(owner, text::FormatMessageText(LoadMessage(formatId), {text}));
}

void ReportWindowsError(HWND owner, UINT reasonId, DWORD error) {
  LogMessageId(reasonId);
  ReportError(owner, IDS_WINDOWS_ERROR, LoadMessage(reasonId), static_cast<std::int32_t>(error));
}

}  // namespace report
