// Environment references in settings values.
#include <gtest/gtest.h>

#include <map>

#include "common/expansion.h"

namespace {

TEST(EnvironmentReferences, ExpandLikeWindowsAtAnyLength) {
  static const std::map<std::wstring, std::wstring> variables = {{L"A", L"1"}, {L"Path", L"C:\\p"}, {L"EMPTY", L""}};
  const text::VariableLookup lookup = [](std::wstring_view name) -> std::optional<std::wstring> {
    auto it = variables.find(std::wstring(name));
    if (it == variables.end()) return std::nullopt;
    return it->second;
  };
  const std::wstring longText(40000, L'x');
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"", L""},
      {L"plain", L"plain"},
      {L"%A%", L"1"},
      {L"x%A%y%A%", L"x1y1"},
      {L"%EMPTY%x", L"x"},
      {L"%UNKNOWN%", L"%UNKNOWN%"},
      // A "%" that starts no known variable stays, and the scan goes on after it.
      {L"50%;%Path%", L"50%;C:\\p"},
      {L"%UNKNOWN%A%", L"%UNKNOWN1"},
      {L"%%", L"%%"},
      {L"%A", L"%A"},
      {L"100%", L"100%"},
      // No limit: the system's expansion cut at 32,766 characters.
      {longText + L"%A%" + longText, longText + L"1" + longText},
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(text::ExpandReferences(input, lookup), expected) << testing::PrintToString(input.substr(0, 40));
  }
}

}  // namespace
