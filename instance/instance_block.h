// The single-instance block shared by the launchers of one executable path:
// its layout, the names of the objects around it, and the packing and reading
// of the argument area. Plain C++ over bytes; little-endian throughout.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace instance {

inline constexpr std::size_t kBlockSize = 2092;
inline constexpr std::size_t kListenerThreadIdOffset = 0;
inline constexpr std::size_t kProcessIdOffset = 4;
inline constexpr std::size_t kMessageIdOffset = 8;
inline constexpr std::size_t kArgumentAreaOffset = 12;
inline constexpr std::size_t kArgumentAreaSize = 1040;
// In the block's unused tail: the thread id of the later start whose argument
// list the area holds, written before it notifies the listener and cleared by
// the listener once copied. A notification whose sender does not match it
// carries no argument list of its own and is dropped.
inline constexpr std::size_t kSenderThreadIdOffset = 1052;
// The reading walk stops before this 16-bit unit of the block (byte 2090).
inline constexpr std::size_t kReadLimitUnit = 1045;

using Block = std::array<std::uint8_t, kBlockSize>;
using ArgumentArea = std::array<std::uint8_t, kArgumentAreaSize>;

// Suffixes of the named objects beside the mapping: the main-started event;
// the lock a secondary holds while it writes and posts; the event the
// listener sets once it has copied the argument area.
inline constexpr wchar_t kMainStartedSuffix[] = L"_upr_evt";
inline constexpr wchar_t kHandOverLockSuffix[] = L"_upr_mtx";
inline constexpr wchar_t kHandOverCopiedSuffix[] = L"_upr_ack";

// The longest instance name used as it stands: with the longest suffix it
// still makes a kernel object name (shorter than MAX_PATH) and a window
// message name (at most 255 characters).
inline constexpr std::size_t kLongestPlainName = 251;

// The program a launcher path stands for: a console companion (MyApp.com) is
// the same application as MyApp.exe beside it.
std::wstring ProgramPath(std::wstring_view executablePath);

// The executable's full path with every "\" replaced by "_", and a ".com"
// ending read as ".exe" (a console companion shares its program's instance).
// A longer name keeps its first characters and ends in "_" and a hash of the
// whole path (16 hexadecimal digits), kLongestPlainName characters in all.
std::wstring InstanceName(std::wstring_view executablePath);

// The bytes the argument area needs for `arguments`.
std::uint64_t PackedArgumentsSize(const std::vector<std::wstring>& arguments);
// The argument area for `arguments`: each as UTF-16LE followed by a zero
// unit, one more zero unit after the list, zeros to the end. None when they
// need more than 1040 bytes.
std::optional<ArgumentArea> PackArguments(const std::vector<std::wstring>& arguments);

// The list a primary reads from a block: texts up to the first empty one
// (which ends the list), from offset 12 up to unit 1045; a text the walk does
// not see end is dropped.
std::vector<std::wstring> ReadArguments(const Block& block);

std::uint32_t ReadField(const std::uint8_t* block, std::size_t offset);
void WriteField(std::uint8_t* block, std::size_t offset, std::uint32_t value);

}  // namespace instance
