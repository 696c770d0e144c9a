// The restart rules: "Restart Code", the record handed to the new launcher,
// and the bound of three restarts a minute.
#include <gtest/gtest.h>

#include "instance/restart_rules.h"

namespace {

TEST(RestartRules, RestartCodeIsOneDecimalInteger) {
  const struct {
    const wchar_t* value;
    std::optional<std::int32_t> code;
  } cases[] = {
      {L"23", 23},           {L" -1 ", -1},        {L"+7", 7},          {L"0", 0},
      {L"2147483647", 2147483647}, {L"-2147483648", INT32_MIN}, {L"2147483648", std::nullopt},
      {L"", std::nullopt},   {L"x", std::nullopt}, {L"2 3", std::nullopt}, {L"0x10", std::nullopt},
      {L"- 5", std::nullopt}, {L"5.", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(instance::ParseRestartCode(c.value), c.code) << testing::PrintToString(c.value);
}

TEST(RestartRules, TheRecordCarriesTheProcessAndTheLatestRestarts) {
  const instance::RestartRecord none = instance::ParseRestartRecord(L"");
  EXPECT_EQ(none.previousProcess, 0u);
  for (const wchar_t* malformed : {L"12 x", L"-3", L"4294967296", L"1 2 3 4 5", L"1 99999999999999999999"}) {
    const instance::RestartRecord record = instance::ParseRestartRecord(malformed);
    EXPECT_EQ(record.previousProcess, 0u) << testing::PrintToString(malformed);
    EXPECT_EQ(record.restarts[2], 0u) << testing::PrintToString(malformed);
  }
  const instance::RestartRecord two = instance::ParseRestartRecord(L"1234 1000 2000");
  EXPECT_EQ(two.previousProcess, 1234u);
  EXPECT_EQ(two.restarts[0], 0u);
  EXPECT_EQ(two.restarts[1], 1000u);
  EXPECT_EQ(two.restarts[2], 2000u);
  // A restart drops the oldest and adds now; another start keeps them.
  EXPECT_EQ(instance::RestartRecordText(99, two, 5000, true), L"99 1000 2000 5000");
  EXPECT_EQ(instance::RestartRecordText(0, two, 5000, false), L"0 0 1000 2000");
}

TEST(RestartRules, AFourthRestartWithinAMinuteIsRefused) {
  const struct {
    const wchar_t* record;
    std::uint64_t now;
    bool allowed;
  } cases[] = {
      {L"1", 500000, true},
      {L"1 440000 450000", 500000, true},
      {L"1 440001 450000 460000", 500000, false},
      {L"1 440000 450000 460000", 500000, true},  // the oldest is a minute old
      {L"1 600000 610000 620000", 500000, true},  // another boot's ticks
  };
  for (const auto& c : cases) {
    EXPECT_EQ(instance::RestartAllowed(instance::ParseRestartRecord(c.record), c.now), c.allowed)
        << testing::PrintToString(c.record);
  }
}

}  // namespace
