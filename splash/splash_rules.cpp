#include "splash/splash_rules.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "common/path_text.h"
#include "common/text.h"

namespace splash {

// Literals as views: their length is known when the launcher is built.
using namespace std::string_view_literals;

std::wstring RuntimeSplashLibraryCandidate(std::wstring_view jvmLibraryPath) {
  // The runtime's bin folder.
  std::wstring folder = text::DropLastComponents(jvmLibraryPath, 2);
  if (folder.empty()) return {};
  if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  return folder + L"splashscreen.dll";
}

bool PrefersRuntimeSplash(std::wstring_view preference, std::wstring_view libraryPath) {
  return text::EqualsIgnoreCase(preference, L"Yes"sv) && !libraryPath.empty();
}

bool ShadowOn(std::wstring_view splashShadow) { return splashShadow == L"true"sv; }

WindowPlacement CentredPlacement(int pictureWidth, int pictureHeight, int screenWidth, int screenHeight) {
  return {(screenWidth - pictureWidth) / 2, (screenHeight - pictureHeight) / 2, pictureWidth, pictureHeight};
}

bool IsPng(const std::uint8_t* bytes, std::size_t size) {
  static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size < sizeof signature) return false;
  for (std::size_t i = 0; i < sizeof signature; ++i) {
    if (bytes[i] != signature[i]) return false;
  }
  return true;
}

bool HasTransparency(const std::uint8_t* bgra, std::size_t pixelCount) {
  for (std::size_t i = 0; i < pixelCount; ++i) {
    if (bgra[i * 4 + 3] != 0xFF) return true;
  }
  return false;
}

}  // namespace splash

namespace splash {
namespace {

// Every target of the launcher is little-endian: a stored little-endian
// number is one plain load.
static_assert(std::endian::native == std::endian::little);
std::uint32_t Little16(const std::uint8_t* at) {
  std::uint16_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}
std::uint32_t Little32(const std::uint8_t* at) {
  std::uint32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}
std::uint32_t Big16(const std::uint8_t* at) { return (at[0] << 8) | at[1]; }
std::uint32_t Big32(const std::uint8_t* at) { return (Big16(at) << 16) | Big16(at + 2); }
// A stored height that is negative for rows top-down counts by its size.
std::uint32_t Magnitude(std::uint32_t stored) {
  return stored & 0x80000000u ? 0u - stored : stored;
}

void ReadGif(const std::uint8_t* b, std::size_t size, DeclaredSize& out) {
  if (size < 13) return;
  std::uint32_t width = Little16(b + 6), height = Little16(b + 8);
  std::size_t at = 13;
  if (b[10] & 0x80) at += std::size_t{3} << ((b[10] & 7) + 1);  // the global colour table
  // Extensions are skipped up to the first image, which may reach beyond the
  // logical screen: the decoder makes room for both.
  while (at < size && b[at] == 0x21) {
    at += 2;
    while (at < size && b[at] != 0) at += b[at] + 1u;
    ++at;
  }
  if (at + 9 > size || b[at] != 0x2C) return;
  out.width = std::max(width, Little16(b + at + 1) + Little16(b + at + 5));
  out.height = std::max(height, Little16(b + at + 3) + Little16(b + at + 7));
}

void ReadJpeg(const std::uint8_t* b, std::size_t size, DeclaredSize& out) {
  std::size_t at = 2;
  while (at + 1 < size && b[at] == 0xFF) {
    const std::uint8_t marker = b[at + 1];
    at += 2;
    if (marker == 0xFF) {  // a fill byte
      --at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;  // no length
    if (marker == 0xD9 || marker == 0xDA || at + 2 > size) return;        // no frame before the data
    const std::size_t length = Big16(b + at);
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (at + 7 > size) return;
      out.height = Big16(b + at + 3);
      out.width = Big16(b + at + 5);
      return;
    }
    if (length < 2) return;
    at += length;
  }
}

}  // namespace

bool IsPlainBitmap(const std::uint8_t* b, std::size_t size) {
  if (size < 34 || b[0] != 'B' || b[1] != 'M' || Little32(b + 14) < 40 || (b[25] & 0x80) != 0) return false;
  const std::uint32_t bits = Little16(b + 28);
  return (bits == 1 || bits == 4 || bits == 8 || bits == 24) && Little32(b + 30) == 0;
}

DeclaredSize ReadDeclaredSize(const std::uint8_t* b, std::size_t size) {
  DeclaredSize out;
  if (IsPng(b, size)) {
    out.known = true;
    if (size >= 24 && b[12] == 'I' && b[13] == 'H' && b[14] == 'D' && b[15] == 'R') {
      out.width = Big32(b + 16);
      out.height = Big32(b + 20);
    }
  } else if (size >= 2 && b[0] == 'B' && b[1] == 'M') {
    out.known = true;
    if (size >= 26) {
      const bool core = Little32(b + 14) == 12;  // the oldest header: 16-bit sides
      out.width = core ? Little16(b + 18) : Little32(b + 18);
      out.height = core ? Little16(b + 20) : Magnitude(Little32(b + 22));
    }
  } else if (size >= 4 && b[0] == 'G' && b[1] == 'I' && b[2] == 'F' && b[3] == '8') {
    out.known = true;
    ReadGif(b, size, out);
  } else if (size >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) {
    out.known = true;
    ReadJpeg(b, size, out);
  }
  return out;
}

}  // namespace splash
