// The launcher's own exit codes, shared by the product and its tests. The
// other codes a launch ends with are the application's (System.exit, 1 for an
// exception that escaped main), the paired product's and the running
// instance's answer.
#pragma once

#include <cstdint>

namespace exitcode {

// Every launcher failure, and Stop in the "Java Exception" dialog.
inline constexpr int kLaunchFailed = -1;
// The same as the process reports it (GetExitCodeProcess, a thread's exit code).
inline constexpr std::uint32_t kLaunchFailedCode = 0xFFFFFFFFu;

}  // namespace exitcode
