// Starting the application again when it ends with its "Restart Code": the
// bound on restarts and the record one launcher hands the next.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace instance {

// The variable that carries the record to the new launcher, which removes it
// from its environment before anything else reads that.
inline constexpr wchar_t kRestartVariable[] = L"VORN_RESTART";
// At most this many restarts within the window; the next such exit stays.
inline constexpr std::size_t kMostRestarts = 3;
inline constexpr std::uint64_t kRestartWindowMs = 60000;

// "Restart Code": a decimal integer, a sign allowed, blanks around it; none
// for anything else.
std::optional<std::int32_t> ParseRestartCode(std::wstring_view value);

// The record: the id of the process that started this one (0: none to wait
// for), then the tick counts (milliseconds) of the latest restarts, oldest
// first, blank separated. A malformed record is no record.
struct RestartRecord {
  std::uint32_t previousProcess = 0;
  std::uint64_t restarts[kMostRestarts] = {};  // 0: none
};
RestartRecord ParseRestartRecord(std::wstring_view text);
// Fewer than kMostRestarts of the record's restarts fall within the window
// before `now`.
bool RestartAllowed(const RestartRecord& record, std::uint64_t now);
// The record for the next launcher: `process`, and this record's restarts
// with `now` added when the new start is a restart.
std::wstring RestartRecordText(std::uint32_t process, const RestartRecord& record, std::uint64_t now, bool isRestart);

}  // namespace instance
