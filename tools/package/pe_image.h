// Reading and replacing the resources of a 64-bit PE image (x64 or ARM64), as rules over
// bytes. Replacing rebuilds the resource section in place and moves the
// sections after it (only ".reloc" may follow it), then fixes the section
// table, the data directories, the image size and the checksum. Data appended
// after the sections is kept; an Authenticode signature is dropped, since it
// no longer matches.
#pragma once

#include <cstdint>
#include <string>

#include "tools/package/bytes.h"
#include "tools/package/resource_tree.h"

namespace package {

// The resources of `image`; on failure `error` says why (not a PE image, not
// a 64-bit Windows one, damaged).
bool ReadImageResources(const Bytes& image, ResourceTree& tree, std::string& error);

// `image` with its resources replaced by `tree`.
bool ReplaceImageResources(const Bytes& image, const ResourceTree& tree, Bytes& out, std::string& error);

// `image` made a windowed (kSubsystemWindows) or console (kSubsystemConsole)
// program, its checksum renewed; false when it is not a 64-bit PE image.
inline constexpr std::uint16_t kSubsystemWindows = 2;
inline constexpr std::uint16_t kSubsystemConsole = 3;
bool SetSubsystem(Bytes& image, std::uint16_t subsystem, std::string& error);

// The PE checksum of `image`, whose checksum field is at `checksumOffset`.
std::uint32_t PeChecksum(const Bytes& image, std::size_t checksumOffset);

}  // namespace package
