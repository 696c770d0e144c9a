// Whether the launcher runs as a service under the Service Control Manager.
// A service has no desktop a user sees: a box there would block it for good,
// so every message that would be a box goes to the Application event log
// (its source the service's name) and the diagnostics log, and no window ever
// appears. Entered once, by the service host, before the launch begins.
#pragma once

#include <string>

namespace report {

// From now on this process is the service `serviceName` (kept, not copied:
// the manager's text lives as long as the service).
void EnterServiceMode(const wchar_t* serviceName);

// True once EnterServiceMode was called.
bool IsServiceProcess();

// Whether the launch may show windows (the splash, the dialogs, boxes): not
// in a console program, not in a service.
bool WindowsAllowed();

// Writes `text` to the Application event log as an error of the service's
// source (the diagnostics log has it as well, whatever the event log does).
void WriteServiceEvent(const std::wstring& text);

}  // namespace report
