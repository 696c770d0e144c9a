// Which machine a runtime's jvm.dll is built for, and whether this process can
// load it. The header checks are plain byte work; ReadImageMachine and
// IsX86Image read only the headers, each with a bounded read.
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
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;
inline constexpr std::uint16_t kMachineArm64 = 0xAA64;

// The machine this launcher's own code is built for: the one place that
// differs between the x64 and the ARM64 build.
#if defined(__aarch64__)
inline constexpr std::uint16_t kProcessMachine = kMachineArm64;
#else
inline constexpr std::uint16_t kProcessMachine = kMachineAmd64;
#endif
inline constexpr std::size_t kDosHeaderSize = 64;         // e_lfanew is its last field, at 0x3C
inline constexpr std::size_t kNtHeadersMinimum = 4 + 20;  // signature and file header

// The file offset of the NT headers that a DOS header names, when the bytes
// start with "MZ", hold a whole DOS header and e_lfanew is not negative.
std::optional<std::uint32_t> NtHeadersOffset(std::span<const unsigned char> dosHeader);

// The file header's Machine, when the bytes hold the "PE\0\0" signature and
// a whole file header.
std::optional<std::uint16_t> ImageMachine(std::span<const unsigned char> ntHeaders);

// Whether a process of `process`'s machine passes over a library built for
// `machine`: it cannot load one of another machine. An x86 library is not
// passed over here: the paired product may run it (CheckPairedRuntime).
constexpr bool IsForeignMachine(std::uint16_t machine, std::uint16_t process) {
  return machine != process && machine != kMachineI386;
}

// The machine of the PE image at `path`; none when the file is missing,
// unreadable, truncated or no PE image.
std::optional<std::uint16_t> ReadImageMachine(const std::wstring& path);

// True when the file at `path` is a PE image for the x86 machine. Missing,
// unreadable, empty, truncated or malformed files give false, also when the
// file is cut short while it is being read.
bool IsX86Image(const std::wstring& path);

}  // namespace runtime
