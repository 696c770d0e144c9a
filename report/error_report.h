// How the launcher tells the user that something went wrong: one modal error
// box with a text from the message string table, or in a console program the
// same text as a line on standard error (report/console_mode.h); in a service
// an event of the Application log (report/service_mode.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace report {

// A string of the executable's own table, whole; a missing id gives empty text.
std::wstring LoadMessage(UINT id);

// MB_OK | MB_ICONERROR, the system's default caption, the given owner. In a
// console program: the text and a line break on standard error (nothing when
// there is none to write to). In a service: an event of the Application log.
void ShowErrorBox(HWND owner, const std::wstring& text);

// The string `id` alone (209, 210, 216).
void ShowMessage(HWND owner, UINT id);

// Format `formatId` with a text and a number and show it (202, 222).
void ReportError(HWND owner, UINT formatId, const std::wstring& text, std::int32_t number);
// Format `formatId` with two texts (203). `vmText` is what the virtual machine
// printed on standard error: a box adds it after a blank line, the log records
// it, and a console line leaves it where it already stands.
void ReportError(HWND owner, UINT formatId, const std::wstring& first, const std::wstring& second,
                 const std::wstring& vmText = {});
// Format `formatId` with one text (211, 215).
void ReportError(HWND owner, UINT formatId, const std::wstring& text);

// Format 202 with the reason string `reasonId` and the given error code.
void ReportWindowsError(HWND owner, UINT reasonId, DWORD error);

}  // namespace report
