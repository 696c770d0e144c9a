// The launch as a Windows service. An executable whose settings say
// "Application Type=service" and that the Service Control Manager started is
// connected to the manager as soon as the settings stage knows that: the
// manager hears START_PENDING at once, RUNNING once main starts, and STOPPED
// with the codes of launcher/service_rules.h when the launch ends. A stop,
// shutdown or pre-shutdown request asks the application to end
// (jvm/service_stop.h) and waits "Service Stop Timeout" seconds for the VM
// before the process ends. Started any other way, the same executable runs as
// an ordinary program.
#pragma once

#include <cstdint>
#include <string>

namespace launcher {

// When the manager started this process: connects it as the service, and
// from then on every message goes to the event log (report/service_mode.h)
// and the working folder is the executable's. Otherwise nothing changes (the
// diagnostics log says so).
void ConnectServiceWhenStartedSo(std::uint32_t stopTimeoutSeconds, const std::wstring& executablePath);

// The launch has ended with `result` (the process's exit code): a connected
// service reports STOPPED.
void EndService(int result);

}  // namespace launcher
