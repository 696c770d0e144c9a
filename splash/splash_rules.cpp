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
