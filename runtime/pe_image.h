// Whether a runtime's jvm.dll is a 32-bit (x86) image. The header checks are
// plain byte work; IsX86Image reads only the headers, each with a bounded read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace runtime {

inline constexpr std::uint16_t kDosSignature = 0x5A4D;     // "MZ"
inline constexpr std::uint32_t kNtSignature = 0x00004550;  // "PE\0\0"
inline constexpr std::uint16_t kMachineI386 = 0x014C;
inline constexpr std::size_t kDosHeaderSize = 64;         // e_lfanew is its last field, at 0x3C
inline constexpr std::size_t kNtHeadersMinimum = 4 + 20;  // signature and file header

// The file offset of the NT headers that a DOS header names, when the bytes
// start with "MZ", hold a whole DOS header and e_lfanew is not negative.
std::optional<std::uint32_t> NtHeadersOffset(std::span<const unsigned char> dosHeader);

// The file header's Machine, when the bytes hold the "PE\0\0" signature and
// a whole file header.
std::optional<std::uint16_t> ImageMachine(std::span<const unsigned char> ntHeaders);

// True when the file at `path` is a PE image for the x86 machine. Missing,
// unreadable, empty, truncated or malformed files give false, also when the
// file is cut short while it is being read.
bool IsX86Image(const std::wstring& path);

}  // namespace runtime
