#include "instance/restart_rules.h"

#include <cerrno>
#include <cwchar>
#include <iterator>

#include "common/text.h"

namespace instance {

std::optional<std::int32_t> ParseRestartCode(std::wstring_view value) {
  const std::wstring code = text::Trim(value);
  if (code.empty() || code.size() > 11 || code.back() < L'0' || code.back() > L'9') return std::nullopt;
  wchar_t* end = nullptr;
  errno = 0;
  const long number = std::wcstol(code.c_str(), &end, 10);
  if (*end != L'\0' || errno == ERANGE) return std::nullopt;
  return static_cast<std::int32_t>(number);
}

RestartRecord ParseRestartRecord(std::wstring_view text) {
  std::uint64_t numbers[1 + kMostRestarts] = {};
  std::size_t count = 0;
  bool inNumber = false;
  for (wchar_t c : text) {
    if (c == L' ') {
      inNumber = false;
      continue;
    }
    if (c < L'0' || c > L'9' || (!inNumber && count == std::size(numbers))) return {};
    if (!inNumber) ++count;
    inNumber = true;
    std::uint64_t& n = numbers[count - 1];
    if (n > (UINT64_MAX - 9) / 10) return {};
    n = n * 10 + static_cast<std::uint64_t>(c - L'0');
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
