// The splash rules: the runtime library's place, the route, the shadow, the
// window's placement and the kind of picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "splash/splash_rules.h"

namespace {

TEST(SplashLibraryPath, RuntimeBinFolderOfTheChosenJvm) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"C:\\jre\\bin\\server\\jvm.dll", L"C:\\jre\\bin\\splashscreen.dll"},
      {L"C:\\jre/\\server\\jvm.dll", L"C:\\jre/splashscreen.dll"},     // a forward slash ends the folder too
      {L"C:\\jvm.dll", L"C:\\splashscreen.dll"},                      // one backslash: removed once, then kept
      {L"jvm.dll", L"jvm.dll\\splashscreen.dll"},                     // no backslash: left as it is
      {L"\\jvm.dll", L""},
      {L"", L""},
  };
  for (const auto& [jvm, expected] : cases) {
    EXPECT_EQ(splash::RuntimeSplashLibraryCandidate(jvm), expected) << "jvm.dll at " << std::string(jvm.begin(), jvm.end());
  }
}

TEST(SplashRoutePreference, RuntimeLibraryOnlyForYesAndAFoundLibrary) {
  struct Case {
    std::wstring preference, library;
    bool runtime;
  };
  const Case cases[] = {
      {L"Yes", L"C:\\jre\\bin\\splashscreen.dll", true},  {L"yes", L"C:\\x.dll", true},
      {L"YES", L"C:\\x.dll", true},                        {L"Yes", L"", false},
      {L"true", L"C:\\x.dll", false},                      {L"Yes ", L"C:\\x.dll", false},
      {L"", L"C:\\x.dll", false},                          {L"1", L"C:\\x.dll", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(splash::PrefersRuntimeSplash(c.preference, c.library), c.runtime)
        << "preference \"" << std::string(c.preference.begin(), c.preference.end()) << "\"";
  }
}

TEST(SplashShadow, OnlyLowerCaseTrue) {
  const std::pair<std::wstring, bool> cases[] = {
      {L"true", true}, {L"True", false}, {L"TRUE", false}, {L"yes", false}, {L"true ", false}, {L"", false}};
  for (const auto& [value, on] : cases) {
    EXPECT_EQ(splash::ShadowOn(value), on) << std::string(value.begin(), value.end());
  }
}

TEST(SplashPlacement, CentredWithDivisionsTruncatingTowardZero) {
  struct Case {
    int w, h, screenW, screenH;
    splash::WindowPlacement expected;
  };
  const Case cases[] = {
      {400, 300, 1920, 1080, {760, 390, 400, 300}},
      {401, 301, 1920, 1080, {759, 389, 401, 301}},
      {0, 0, 1024, 768, {512, 384, 0, 0}},            // nothing loaded: a 0 x 0 window at the centre
      {2000, 1081, 1920, 1080, {-40, 0, 2000, 1081}},  // -80/2 and -1/2 truncate toward zero
      {2001, 1083, 1920, 1080, {-40, -1, 2001, 1083}},
  };
  for (const auto& c : cases) {
    const splash::WindowPlacement p = splash::CentredPlacement(c.w, c.h, c.screenW, c.screenH);
    EXPECT_EQ((std::vector<int>{p.left, p.top, p.width, p.height}),
              (std::vector<int>{c.expected.left, c.expected.top, c.expected.width, c.expected.height}))
        << c.w << " x " << c.h << " on " << c.screenW << " x " << c.screenH;
  }
}

TEST(SplashPictureKind, PngSignatureAndTransparency) {
  const std::uint8_t png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0};
  const std::uint8_t bmp[] = {'B', 'M', 0, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(splash::IsPng(png, sizeof png));
  EXPECT_FALSE(splash::IsPng(png, 7)) << "a cut signature is no PNG";
  EXPECT_FALSE(splash::IsPng(bmp, sizeof bmp));
  const std::uint8_t opaque[] = {1, 2, 3, 255, 4, 5, 6, 255};
  const std::uint8_t soft[] = {1, 2, 3, 255, 2, 2, 2, 128};
  EXPECT_FALSE(splash::HasTransparency(opaque, 2));
  EXPECT_TRUE(splash::HasTransparency(soft, 2));
}

}  // namespace

namespace {

using Bytes = std::vector<std::uint8_t>;

void Little(Bytes& b, std::uint32_t v, int count) {
  for (int i = 0; i < count; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Big(Bytes& b, std::uint32_t v, int count) {
  for (int i = count - 1; i >= 0; --i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
Bytes Png(std::uint32_t width, std::uint32_t height) {
  Bytes b{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  Big(b, width, 4);
  Big(b, height, 4);
  return b;
}
Bytes Bmp(std::uint32_t headerSize, std::uint32_t width, std::uint32_t height) {
  Bytes b{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Little(b, headerSize, 4);
  Little(b, width, headerSize == 12 ? 2 : 4);
  Little(b, height, headerSize == 12 ? 2 : 4);
  b.resize(30, 0);
  return b;
}
Bytes Cut(Bytes bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}
// A logical screen, an optional colour table of 4 entries, one extension and
// the first image at (left, top).
Bytes Gif(std::uint32_t screenWidth, std::uint32_t screenHeight, bool colourTable, std::uint32_t left,
          std::uint32_t width, std::uint32_t height) {
  Bytes b{'G', 'I', 'F', '8', '9', 'a'};
  Little(b, screenWidth, 2);
  Little(b, screenHeight, 2);
  b.insert(b.end(), {static_cast<std::uint8_t>(colourTable ? 0x81 : 0), 0, 0});
  if (colourTable) b.resize(b.size() + 12, 0x2C);  // entries that look like an image must not count
  b.insert(b.end(), {0x21, 0xF9, 4, 0, 0, 0, 0, 0, 0x2C});
  Little(b, left, 2);
  Little(b, 0, 2);
  Little(b, width, 2);
  Little(b, height, 2);
  b.push_back(0);
  return b;
}
// An application segment, then a frame header of the given kind.
Bytes Jpeg(std::uint8_t frameMarker, std::uint32_t width, std::uint32_t height, bool fill = false) {
  Bytes b{0xFF, 0xD8, 0xFF, 0xE0, 0, 6, 'J', 'F', 'I', 'F'};
  if (fill) b.push_back(0xFF);
  b.insert(b.end(), {0xFF, frameMarker, 0, 11, 8});
  Big(b, height, 2);
  Big(b, width, 2);
  b.insert(b.end(), {1, 1, 0x11, 0});
  return b;
}

TEST(SplashPictureHeader, DeclaredSizeIsReadBeforeDecoding) {
  const struct {
    const char* name;
    Bytes bytes;
    bool known;
    std::uint32_t width, height;
    bool acceptable;
  } cases[] = {
      {"PNG", Png(401, 301), true, 401, 301, true},
      {"PNG 20000 x 20000", Png(20000, 20000), true, 20000, 20000, false},
      {"PNG of the largest side", Png(8192, 8192), true, 8192, 8192, true},
      {"PNG one wider", Png(8193, 1), true, 8193, 1, false},
      {"PNG cut after its signature", Cut(Png(1, 1), 8), true, 0, 0, false},
      {"BMP", Bmp(40, 401, 301), true, 401, 301, true},
      {"BMP rows top-down", Bmp(40, 401, 0u - 301), true, 401, 301, true},
      {"BMP negative width", Bmp(40, 0u - 5, 3), true, 0u - 5, 3, false},
      {"BMP most negative height", Bmp(40, 3, 0x80000000u), true, 3, 0x80000000u, false},
      {"BMP old header", Bmp(12, 640, 480), true, 640, 480, true},
      {"BMP cut", Bytes{'B', 'M', 0, 0}, true, 0, 0, false},
      {"GIF", Gif(10, 10, false, 0, 3, 2), true, 10, 10, true},
      {"GIF with a colour table", Gif(10, 10, true, 0, 3, 2), true, 10, 10, true},
      {"GIF screen 30000 wide", Gif(30000, 1, false, 0, 1, 1), true, 30000, 1, false},
      {"GIF image beyond its screen", Gif(10, 10, true, 5, 9000, 2), true, 9005, 10, false},
      {"GIF without an image", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B}, true, 0, 0, false},
      {"GIF cut in its screen", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1}, true, 0, 0, false},
      {"JPEG baseline", Jpeg(0xC0, 401, 301), true, 401, 301, true},
      {"JPEG progressive", Jpeg(0xC2, 401, 301), true, 401, 301, true},
      {"JPEG progressive after fill bytes", Jpeg(0xC2, 401, 301, true), true, 401, 301, true},
      {"JPEG 30000 x 30000", Jpeg(0xC0, 30000, 30000), true, 30000, 30000, false},
      {"JPEG height left to later", Jpeg(0xC0, 401, 0), true, 401, 0, false},
      {"JPEG data before a frame", Bytes{0xFF, 0xD8, 0xFF, 0xDA, 0, 2}, true, 0, 0, false},
      {"metafile", Bytes{0xD7, 0xCD, 0xC6, 0x9A, 0, 0}, false, 0, 0, true},
      {"icon", Bytes{0, 0, 1, 0, 1, 0}, false, 0, 0, true},
  };
  for (const auto& c : cases) {
    const splash::DeclaredSize declared = splash::ReadDeclaredSize(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(declared.known, c.known) << c.name;
    EXPECT_EQ(declared.width, c.width) << c.name;
    EXPECT_EQ(declared.height, c.height) << c.name;
    EXPECT_EQ(!declared.known || splash::SidesAcceptable(declared.width, declared.height), c.acceptable) << c.name;
  }
}

}  // namespace
