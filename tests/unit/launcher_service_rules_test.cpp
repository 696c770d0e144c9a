// The service host's rules: the stop timeout, and what the manager is told
// when the service has stopped.
#include <gtest/gtest.h>

#include "common/exit_codes.h"
#include "launcher/service_rules.h"

namespace {

namespace service = launcher::service;

TEST(LauncherServiceRules, StopTimeoutIsWholeSecondsUpToADay) {
  const struct {
    const wchar_t* value;
    std::optional<std::uint32_t> seconds;
  } cases[] = {
      {L"30", 30},          {L" 5\t", 5},          {L"0", 0},           {L"86400", 86400}, {L"0086400", 86400},
      {L"86401", std::nullopt}, {L"99999999999999999999", std::nullopt}, {L"", std::nullopt},
      {L"  ", std::nullopt},    {L"-1", std::nullopt},  {L"1.5", std::nullopt}, {L"10s", std::nullopt},
      {L"1 0", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(service::StopTimeoutSeconds(c.value), c.seconds) << "value \"" << c.value << '"';
  EXPECT_EQ(service::StopWaitHintMs(30), 35000u);
  EXPECT_EQ(service::StopWaitHintMs(0), 5000u);
}

TEST(LauncherServiceRules, StoppedCodesTellHowTheServiceEnded) {
  using Codes = service::StoppedCodes;
  const struct {
    const char* ending;
    Codes codes;
    Codes expected;
  } cases[] = {
      {"main and the VM ended", service::AfterRun(0), {0, 0}},
      {"an exception escaped main", service::AfterRun(1), {1066, 1}},
      {"launcher failure", service::AfterRun(exitcode::kLaunchFailed), {575, 0}},
      {"System.exit(0)", service::AfterJavaExit(0), {0, 0}},
      {"System.exit(3)", service::AfterJavaExit(3), {1066, 3}},
      {"System.exit(-1)", service::AfterJavaExit(-1), {1066, 0xFFFFFFFFu}},
      {"stop timed out", service::AfterStopTimeout(), {1053, 0}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.codes.win32ExitCode, c.expected.win32ExitCode) << c.ending;
    EXPECT_EQ(c.codes.serviceSpecificExitCode, c.expected.serviceSpecificExitCode) << c.ending;
  }
}

}  // namespace
