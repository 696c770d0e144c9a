#include "launcher/service_rules.h"

#include "common/exit_codes.h"
#include "common/text.h"

namespace launcher::service {

std::optional<std::uint32_t> StopTimeoutSeconds(std::wstring_view value) {
  const auto first = value.find_first_not_of(L" \t");
  if (first == std::wstring_view::npos) return std::nullopt;
  value = value.substr(first, value.find_last_not_of(L" \t") + 1 - first);
  const auto seconds = text::DecimalValue(value, kMaximumStopTimeoutSeconds);
  if (!seconds) return std::nullopt;
  return static_cast<std::uint32_t>(*seconds);
}

std::uint32_t StopWaitHintMs(std::uint32_t stopTimeoutSeconds) {
  // Far below the 32 bits of a hint: at most a day and five seconds.
  return stopTimeoutSeconds * 1000 + 5000;
}

StoppedCodes AfterRun(int result) {
  if (result == exitcode::kLaunchFailed) return {kLaunchFailedError, 0};
  return AfterJavaExit(result);
}

StoppedCodes AfterJavaExit(std::int32_t code) {
  if (code == 0) return {};
  return {kServiceSpecificError, static_cast<std::uint32_t>(code)};
}

StoppedCodes AfterStopTimeout() { return {kStopTimedOutError, 0}; }

}  // namespace launcher::service
