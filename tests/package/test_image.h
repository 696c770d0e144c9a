// A small 64-bit PE image with the launcher's resources, for checks that
// need no real executable: ".text", ".rsrc" and ".reloc", optionally data
// appended after them, a signature entry and data after the signature.
#pragma once

#include "tools/package/bytes.h"
#include "tools/package/resource_tree.h"

namespace packagetest {

struct ImageLayout {
  package::Bytes appended;          // data after the last section
  std::uint32_t certificateSize = 0;  // bytes after `appended` named by the signature entry
  package::Bytes afterSignature;      // data after those
};

package::Bytes MakeImage(const package::ResourceTree& tree, const ImageLayout& layout = {});

// Resources that make an image the launcher's: message table, exception
// dialog, manifest, one icon.
package::ResourceTree LauncherResources();

// Offsets in the images MakeImage makes.
inline constexpr std::size_t kFileHeader = 0x44;
inline constexpr std::size_t kOptionalHeader = kFileHeader + 20;
inline constexpr std::size_t kSectionTable = kOptionalHeader + 240;

bool Contains(const package::Bytes& haystack, const std::u16string& text);

}  // namespace packagetest
