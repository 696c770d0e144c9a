// Whether a runtime's jvm.dll is a 32-bit (x86) image. The header checks are
// plain byte work over the file's contents; IsX86Image maps the file.
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

// The offset of the NT headers the DOS header names, when the image starts
// with "MZ", holds a whole DOS header, and the signature and file header at
// that offset lie inside the image.
std::optional<std::size_t> NtHeadersOffset(std::span<const unsigned char> image);

// The file header's Machine of the NT headers at `offset`, when they lie
// inside the image and carry the "PE\0\0" signature.
std::optional<std::uint16_t> ImageMachine(std::span<const unsigned char> image, std::size_t offset);

// True when the file at `path` is a PE image for the x86 machine. Missing,
// unreadable, empty, truncated or malformed files give false.
bool IsX86Image(const std::wstring& path);

}  // namespace runtime
