#include "instance/restart_rules.h"

#include "common/text.h"

namespace instance {

namespace {

// The decimal numbers of `text`, blank separated; none when any is malformed.
std::optional<std::vector<std::uint64_t>> Numbers(std::wstring_view text, std::uint64_t most) {
  std::vector<std::uint64_t> numbers;
  bool inNumber = false;
  for (wchar_t c : text) {
    if (c == L' ') {
      inNumber = false;
      continue;
    }
    if (c < L'0' || c > L'9') return std::nullopt;
    if (!inNumber) numbers.push_back(0);
    inNumber = true;
    std::uint64_t& n = numbers.back();
    if (n > (most - (c - L'0')) / 10) return std::nullopt;
    n = n * 10 + static_cast<std::uint64_t>(c - L'0');
  }
  return numbers;
}

}  // namespace

std::optional<std::int32_t> ParseRestartCode(std::wstring_view value) {
  std::wstring digits = text::Trim(value);
  const bool negative = !digits.empty() && digits[0] == L'-';
  if (!digits.empty() && (digits[0] == L'-' || digits[0] == L'+')) digits.erase(0, 1);
  const auto number = Numbers(digits, negative ? 2147483648u : 2147483647u);
  if (!number || number->size() != 1 || digits.find(L' ') != std::wstring::npos) return std::nullopt;
  return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(number->front())
                                            : static_cast<std::int64_t>(number->front()));
}

RestartRecord ParseRestartRecord(std::wstring_view text) {
  const auto numbers = Numbers(text, UINT64_MAX);
  if (!numbers || numbers->empty() || numbers->front() > UINT32_MAX) return {};
  return {static_cast<std::uint32_t>(numbers->front()), {numbers->begin() + 1, numbers->end()}};
}

bool RestartAllowed(const std::vector<std::uint64_t>& restarts, std::uint64_t now) {
  std::size_t recent = 0;
  for (std::uint64_t t : restarts) recent += t <= now && now - t < kRestartWindowMs;
  return recent < kMostRestarts;
}

std::wstring RestartRecordText(std::uint32_t process, const std::vector<std::uint64_t>& restarts, std::uint64_t now,
                               bool isRestart) {
  std::wstring record = text::DecimalText(std::uint64_t{process});
  for (std::uint64_t t : restarts) {
    if (t <= now && now - t < kRestartWindowMs) record += L' ' + text::DecimalText(t);
  }
  if (isRestart) record += L' ' + text::DecimalText(now);
  return record;
}

}  // namespace instance
