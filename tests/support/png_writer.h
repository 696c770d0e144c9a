// A minimal PNG writer (stored deflate blocks) for test screenshots.
#pragma once

#include <string>

namespace testsupport {

// `bgra` holds `height` top-down rows of `width` 32-bit BGRA pixels.
bool WritePng(const std::wstring& path, const unsigned char* bgra, int width, int height);

}  // namespace testsupport
