// The service host's decisions, as plain data: how long a stop may take, the
// wait hints the Service Control Manager hears, and the codes it is told when
// the service has stopped.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace launcher::service {

inline constexpr std::uint32_t kDefaultStopTimeoutSeconds = 30;
inline constexpr std::uint32_t kMaximumStopTimeoutSeconds = 86400;

// "Service Stop Timeout": whole seconds, 0 to a day, blanks around the digits
// allowed. None for anything else (the default then applies).
std::optional<std::uint32_t> StopTimeoutSeconds(std::wstring_view value);

// While the launch starts, and while a stop runs, the manager hears a new
// checkpoint this often, each with the same wait hint.
inline constexpr std::uint32_t kCheckpointIntervalMs = 1000;
inline constexpr std::uint32_t kStartWaitHintMs = 30000;
// The stop's wait hint: the stop timeout and a margin for the process's end.
std::uint32_t StopWaitHintMs(std::uint32_t stopTimeoutSeconds);

// What the manager is told with SERVICE_STOPPED.
struct StoppedCodes {
  std::uint32_t win32ExitCode = 0;
  std::uint32_t serviceSpecificExitCode = 0;
  bool operator==(const StoppedCodes&) const = default;
};

// Windows' codes, as the manager reads them.
inline constexpr std::uint32_t kServiceSpecificError = 1066;  // ERROR_SERVICE_SPECIFIC_ERROR
inline constexpr std::uint32_t kLaunchFailedError = 575;      // ERROR_APP_INIT_FAILURE
inline constexpr std::uint32_t kStopTimedOutError = 1053;     // ERROR_SERVICE_REQUEST_TIMEOUT

// The launch ended with `result`: 0 (main and the VM ended normally), the
// Java exit code (1 for an exception that escaped main), or the launcher's
// failure (exitcode::kLaunchFailed).
StoppedCodes AfterRun(int result);
// The application called System.exit(code) (or the VM ended the process with it).
StoppedCodes AfterJavaExit(std::int32_t code);
// The VM did not end within the stop timeout.
StoppedCodes AfterStopTimeout();

}  // namespace launcher::service
