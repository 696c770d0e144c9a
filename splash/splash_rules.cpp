#include "splash/splash_rules.h"

#include "common/text.h"

namespace splash {

namespace {

// Cuts at the last backslash; a text without one stays as it is.
std::wstring_view WithoutLastComponent(std::wstring_view path) {
  size_t slash = path.rfind(L'\\');
  return slash == std::wstring_view::npos ? path : path.substr(0, slash);
}

}  // namespace

std::wstring RuntimeSplashLibraryCandidate(std::wstring_view jvmLibraryPath) {
  std::wstring folder(WithoutLastComponent(WithoutLastComponent(jvmLibraryPath)));
  if (folder.empty()) return {};
  if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  return folder + L"splashscreen.dll";
}

bool PrefersRuntimeSplash(std::wstring_view preference, std::wstring_view libraryPath) {
  return text::EqualsIgnoreCase(preference, L"Yes") && !libraryPath.empty();
}

bool ShadowOn(std::wstring_view splashShadow) { return splashShadow == L"true"; }

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

std::uint32_t Little16(const std::uint8_t* at) { return at[0] | (at[1] << 8); }
std::uint32_t Little32(const std::uint8_t* at) { return Little16(at) | (Little16(at + 2) << 16); }
std::uint32_t Big16(const std::uint8_t* at) { return (at[0] << 8) | at[1]; }
std::uint32_t Big32(const std::uint8_t* at) { return (Big16(at) << 16) | Big16(at + 2); }
// A stored height that is negative for rows top-down counts by its size.
std::uint32_t Magnitude(std::uint32_t stored) {
  return stored & 0x80000000u ? 0u - stored : stored;
}

void ReadJpeg(const std::uint8_t* b, std::size_t size, DeclaredSize& out) {
  std::size_t at = 2;
  while (at + 1 < size && b[at] == 0xFF) {
    const std::uint8_t marker = b[at + 1];
    at += 2;
    // Fill bytes and markers without a length before the frame header are left
    // out: such a rare file is refused, never read wrongly.
    if (marker == 0xD9 || marker == 0xDA || at + 2 > size) return;  // no frame before the data
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
    // Read as the usual header; one of the oldest kind, whose sides are 16
    // bits, reads as too large and is refused.
    if (size >= 26) {
      out.width = Little32(b + 18);
      out.height = Magnitude(Little32(b + 22));
    }
  } else if (size >= 4 && b[0] == 'G' && b[1] == 'I' && b[2] == 'F' && b[3] == '8') {
    out.known = true;
    if (size >= 10) {  // the logical screen
      out.width = Little16(b + 6);
      out.height = Little16(b + 8);
    }
  } else if (size >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) {
    out.known = true;
    ReadJpeg(b, size, out);
  }
  return out;
}

}  // namespace splash
