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
