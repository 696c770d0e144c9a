// Splash decisions as plain rules: where the runtime's splash library lies,
// which route is taken, whether the shadow is on, where the window goes, and
// what kind of picture a file holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace splash {

// "splashscreen.dll" in the runtime's bin folder: `jvmLibraryPath` with its
// last path component removed twice; empty when nothing is left.
std::wstring RuntimeSplashLibraryCandidate(std::wstring_view jvmLibraryPath);

// The runtime's library is tried exactly when the preference is "Yes" (any
// letter case) and the library was found.
bool PrefersRuntimeSplash(std::wstring_view preference, std::wstring_view libraryPath);

// The drop shadow is on for "true" exactly.
bool ShadowOn(std::wstring_view splashShadow);

struct WindowPlacement {
  int left = 0, top = 0, width = 0, height = 0;
};
// Centred on a screen of the given size, divisions truncating toward zero.
WindowPlacement CentredPlacement(int pictureWidth, int pictureHeight, int screenWidth, int screenHeight);

// The file starts with the PNG signature.
bool IsPng(const std::uint8_t* bytes, std::size_t size);

// Longest side of a picture the splash decodes: its pixels then stay under
// 256 MB.
inline constexpr std::uint32_t kMaxPictureSide = 8192;

struct DeclaredSize {
  bool known = false;  // the bytes start like a BMP, GIF, JPEG or PNG file
  std::uint32_t width = 0, height = 0;  // 0 when the header is cut short or names none
};
// The size a picture's header declares, read before any decoder sees the
// bytes: a decoder allocates for what the header says. GIF: the logical screen
// together with its first image; JPEG: the first frame header.
DeclaredSize ReadDeclaredSize(const std::uint8_t* bytes, std::size_t size);

// A BMP of the common kind: an info header, rows bottom-up, 1, 4, 8 or 24
// bits per pixel, uncompressed. The system's bitmap loader shows such a file
// exactly as the picture decoder does.
bool IsPlainBitmap(const std::uint8_t* bytes, std::size_t size);

// Both sides from 1 to kMaxPictureSide.
constexpr bool SidesAcceptable(std::uint32_t width, std::uint32_t height) {
  return width - 1 < kMaxPictureSide && height - 1 < kMaxPictureSide;
}

// Some pixel of premultiplied 32-bit BGRA rows is not fully opaque.
bool HasTransparency(const std::uint8_t* bgra, std::size_t pixelCount);

}  // namespace splash
