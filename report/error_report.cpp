#include "report/error_report.h"

#include "common/text.h"
#include "report/diagnostics_log.h"
#include "report/message_ids.h"

namespace report {

namespace {

void LogMessageId(UINT id) {
  if (diag::Enabled()) diag::Log({L"failure, message ", text::DecimalText(std::uint64_t{id})});
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
  diag::Log({L"error box: ", text});
  MessageBoxW(owner, text.c_str(), nullptr, MB_OK | MB_ICONERROR);
}

void ShowMessage(HWND owner, UINT id) {
  LogMessageId(id);
  ShowErrorBox(owner, LoadMessage(id));
}

void ReportError(HWND owner, UINT formatId, const std::wstring& text, std::int32_t number) {
  LogMessageId(formatId);
  ShowErrorBox(owner, text::FormatMessageText(LoadMessage(formatId), {text}, {number}));
}

void ReportError(HWND owner, UINT formatId, const std::wstring& first, const std::wstring& second) {
  LogMessageId(formatId);
  ShowErrorBox(owner, text::FormatMessageText(LoadMessage(formatId), {first, second}));
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
