// An .ico file as the icon resources of an executable: one RT_ICON per image
// and the RT_GROUP_ICON that lists them.
#pragma once

#include <string>
#include <vector>

#include "tools/package/bytes.h"
#include "tools/package/resource_tree.h"

namespace package {

struct IconImage {
  std::uint8_t width = 0;  // 0 means 256
  std::uint8_t height = 0;
  std::uint8_t colorCount = 0;
  std::uint16_t planes = 0;
  std::uint16_t bitCount = 0;
  Bytes data;  // a PNG or a DIB without its file header
};

// The images of an .ico file; false with `error` when the file is not one or
// an image is cut off or neither PNG nor a bitmap.
bool ParseIcoFile(const Bytes& file, std::vector<IconImage>& images, std::string& error);

// Replaces every icon of `tree` with `images` as group `groupName` in
// `language`; the images get the numbers 1, 2, ...
void PutIcons(ResourceTree& tree, const std::vector<IconImage>& images, const ResourceId& groupName,
              std::uint16_t language);

}  // namespace package
