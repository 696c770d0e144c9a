#include "tools/package/icon_file.h"

#include <cstring>

namespace package {
namespace {

constexpr std::size_t kDirectory = 6;
constexpr std::size_t kFileEntry = 16;
constexpr std::size_t kBitmapHeader = 40;  // BITMAPINFOHEADER
constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool LooksLikeImage(const Bytes& data) {
  if (data.size() >= 8 && std::memcmp(data.data(), kPngSignature, 8) == 0) return true;
  return data.size() >= kBitmapHeader && Get32(data, 0) == kBitmapHeader;
}

}  // namespace

bool ParseIcoFile(const Bytes& file, std::vector<IconImage>& images, std::string& error) {
  images.clear();
  if (!Fits(file, 0, kDirectory) || Get16(file, 0) != 0 || Get16(file, 2) != 1) {
    error = "not an .ico file";
    return false;
  }
  std::size_t count = Get16(file, 4);
  if (count == 0) {
    error = "the .ico file holds no image";
    return false;
  }
  if (!Fits(file, kDirectory, count * kFileEntry)) {
    error = "the .ico file is cut off";
    return false;
  }
  // The images of an .ico file lie side by side: together they are never
  // larger than the file. Entries that share bytes would otherwise copy one
  // block thousands of times (65,535 entries of 1 MB: 64 GB).
  std::size_t total = 0;
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t entry = kDirectory + i * kFileEntry;
    std::uint32_t size = Get32(file, entry + 8);
    std::uint32_t offset = Get32(file, entry + 12);
    if (size == 0 || !Fits(file, offset, size)) {
      error = "image " + std::to_string(i + 1) + " of the .ico file is cut off";
      return false;
    }
    total += size;
    if (total > file.size()) {
      error = "the images of the .ico file overlap: together they are larger than the file";
      return false;
    }
    IconImage image;
    image.width = file[entry];
    image.height = file[entry + 1];
    image.colorCount = file[entry + 2];
    image.planes = Get16(file, entry + 4);
    image.bitCount = Get16(file, entry + 6);
    image.data.assign(file.begin() + offset, file.begin() + offset + size);
    if (!LooksLikeImage(image.data)) {
      error = "image " + std::to_string(i + 1) + " of the .ico file is neither PNG nor a bitmap";
      return false;
    }
    images.push_back(std::move(image));
  }
  return true;
}

void PutIcons(ResourceTree& tree, const std::vector<IconImage>& images, const ResourceId& groupName,
              std::uint16_t language) {
  tree.Remove(resource_type::kIcon);
  tree.Remove(resource_type::kGroupIcon);
  Bytes group;
  Put16(group, 0);
  Put16(group, 1);
  Put16(group, static_cast<std::uint32_t>(images.size()));
  std::uint16_t number = 1;
  for (const auto& image : images) {
    group.push_back(image.width);
    group.push_back(image.height);
    group.push_back(image.colorCount);
    group.push_back(0);
    Put16(group, image.planes);
    Put16(group, image.bitCount);
    Put32(group, static_cast<std::uint32_t>(image.data.size()));
    Put16(group, number);
    tree.resources.push_back(
        Resource{ResourceId::Number(resource_type::kIcon), ResourceId::Number(number), language, 0, image.data});
    ++number;
  }
  tree.resources.push_back(Resource{ResourceId::Number(resource_type::kGroupIcon), groupName, language, 0, group});
}

}  // namespace package
