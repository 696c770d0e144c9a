#include "instance/restart_rules.h"

#include "common/text.h"

namespace instance {

std::optional<std::int32_t> ParseRestartCode(std::wstring_view value) {
  const std::wstring code = text::Trim(value);
  const bool negative = !code.empty() && code[0] == L'-';
  const bool signed_ = !code.empty() && (negative || code[0] == L'+');
  const auto number = text::DecimalValue(std::wstring_view(code).substr(signed_ ? 1 : 0),
                                         negative ? 2147483648u : 2147483647u);
  if (!number) return std::nullopt;
  return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(*number) : static_cast<std::int64_t>(*number));
}

RestartRecord ParseRestartRecord(std::wstring_view text) {
  std::uint64_t numbers[1 + kMostRestarts] = {};
  std::size_t count = 0;
  while (!text.empty()) {
    const std::size_t blank = text.find(L' ');
    const auto number = text::DecimalValue(text.substr(0, blank), UINT64_MAX);
    if (!number || count == 1 + kMostRestarts) return {};
    numbers[count++] = *number;
    text.remove_prefix(blank == std::wstring_view::npos ? text.size() : blank + 1);
  }
  if (count == 0 || numbers[0] > UINT32_MAX) return {};
  RestartRecord record{static_cast<std::uint32_t>(numbers[0])};
  // Fewer restarts than the record holds are its latest ones.
  for (std::size_t i = 1; i < count; ++i) record.restarts[kMostRestarts - count + i] = numbers[i];
  return record;
}

bool RestartAllowed(const RestartRecord& record, std::uint64_t now) {
  const std::uint64_t oldest = record.restarts[0];
  return oldest == 0 || oldest > now || now - oldest >= kRestartWindowMs;
}

std::wstring RestartRecordText(std::uint32_t process, const RestartRecord& record, std::uint64_t now, bool isRestart) {
  std::wstring text = text::DecimalText(std::uint64_t{process});
  for (std::size_t i = isRestart ? 1 : 0; i < kMostRestarts; ++i) text += L' ' + text::DecimalText(record.restarts[i]);
  if (isRestart) text += L' ' + text::DecimalText(now);
  return text;
}

}  // namespace instance
