#include "report/service_mode.h"

#include <windows.h>

#include "report/console_mode.h"

namespace report {

namespace {
// Written once by the service host before any other thread of the launch
// exists, read only afterwards.
const wchar_t* serviceSource = nullptr;
}  // namespace

void EnterServiceMode(const wchar_t* serviceName) {
  if (serviceSource == nullptr) serviceSource = serviceName;
}

bool IsServiceProcess() { return serviceSource != nullptr; }

bool WindowsAllowed() { return !IsServiceProcess() && !IsConsoleProgram(); }

void WriteServiceEvent(const std::wstring& text) {
  // Without a registered message file the event viewer shows the text as the
  // event's only insertion string, which is all a launcher message needs.
  HANDLE source = serviceSource != nullptr ? RegisterEventSourceW(nullptr, serviceSource) : nullptr;
  if (source == nullptr) return;
  const wchar_t* strings[] = {text.c_str()};
  ReportEventW(source, EVENTLOG_ERROR_TYPE, 0, 1, nullptr, 1, 0, strings, nullptr);
  DeregisterEventSource(source);
}

}  // namespace report
