// An icon made from a square PNG: the images Windows picks from for every
// place it shows one (16, 24, 32, 48 and 64 pixels as 32-bit bitmaps, 256 as
// PNG). Decoding and encoding are libpng's; the Windows build of the tool has
// no libpng and refuses a PNG icon, naming the Linux tool.
#pragma once

#include <string>
#include <vector>

#include "tools/package/bytes.h"
#include "tools/package/icon_file.h"

namespace package {

// Whether `file` starts with the PNG signature.
bool IsPngFile(const Bytes& file);

// The sizes made, in pixels, smallest first.
inline constexpr int kPngIconSizes[] = {16, 24, 32, 48, 64, 256};
// The largest PNG taken (its decoded pixels are held in memory).
inline constexpr int kLargestPngIcon = 4096;

// The icon's images from `png`; false with `error` ("is 300 x 200 pixels:
// ...") when it is no readable PNG, not square, under 16 or over 4096 pixels.
bool MakeIconFromPng(const Bytes& png, std::vector<IconImage>& images, std::string& error);

// RGBA pixels, rows top to bottom, as PNG bytes (libpng); false without libpng.
bool EncodePng(const std::vector<std::uint8_t>& rgba, int width, int height, Bytes& png);

}  // namespace package
