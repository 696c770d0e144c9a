// The launcher's own splash window end to end: pictures of every accepted
// kind appear centred at their pixel size while main runs, unusable ones show
// nothing, and the window goes before the exception dialog and owns boxes.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/exit_codes.h"
#include "tests/e2e/splash_app.h"
#include "tests/support/test_files.h"

namespace {

using splashtest::TestEvent;
using splashtest::WaitForMain;
using splashtest::WaitForSplash;
using splashtest::WriteSettings;
using testsupport::BinFile;
using testsupport::DoubleApp;
using testsupport::Process;

constexpr int kPictureWidth = 401, kPictureHeight = 301;

std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// Polls a screen pixel until it is near `colour` (the window paints on its own thread).
COLORREF WaitForPixel(int x, int y, COLORREF colour, int tolerance) {
  ULONGLONG deadline = GetTickCount64() + 10000;
  COLORREF seen = testsupport::ScreenPixel(x, y);
  while (!Near(seen, colour, tolerance) && GetTickCount64() < deadline) {
    Sleep(50);
    seen = testsupport::ScreenPixel(x, y);
  }
  return seen;
}

std::string Hex(COLORREF c) {
  char text[16];
  wsprintfA(text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

TEST(SplashWindowPicture, EachFormatAppearsCentredAtItsPixelSizeWhileMainRuns) {
  struct Case {
    const wchar_t* file;
    COLORREF colour;  // of the picture's middle
    int tolerance;
    bool layered;  // transparent pixels: drawn with per-pixel alpha
  };
  const Case cases[] = {
      {L"plain.bmp", RGB(0x1E, 0x90, 0xC8), 0, false},  {L"plain.gif", RGB(0xC8, 0x3C, 0x1E), 0, false},
      {L"plain.jpg", RGB(0x3C, 0xB4, 0x3C), 10, false}, {L"opaque.png", RGB(0xB4, 0x3C, 0xB4), 0, false},
      {L"alpha.png", RGB(0xDC, 0xB4, 0x28), 0, true},
  };
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.file));
    DoubleApp app;
    TestEvent mainMayReturn;
    WriteSettings(app, L"test.Wait", L"Splash Screen=" + BinFile(std::wstring(L"pictures\\") + c.file) + L"\r\n");
    Process process = app.Start(L"", {{L"VORN_DOUBLE_WAIT_EVENT", mainMayReturn.name()}});
    auto splash = WaitForSplash(process);
    ASSERT_TRUE(splash.has_value()) << "no splash window appeared\n" << app.RecordText();
    ASSERT_TRUE(WaitForMain(app, process)) << app.RecordText();

    const RECT& r = splash->rect;
    const int left = (screenWidth - kPictureWidth) / 2, top = (screenHeight - kPictureHeight) / 2;
    EXPECT_EQ(std::vector<long>({r.left, r.top, r.right - r.left, r.bottom - r.top}),
              std::vector<long>({left, top, kPictureWidth, kPictureHeight}))
        << "centred on the " << screenWidth << " x " << screenHeight << " screen, divisions truncating";
    EXPECT_EQ(splash->style & (WS_POPUP | WS_CAPTION | WS_BORDER), static_cast<DWORD>(WS_POPUP));
    EXPECT_TRUE(splash->exStyle & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(splash->exStyle & WS_EX_TOPMOST);
    EXPECT_EQ((splash->exStyle & WS_EX_LAYERED) != 0, c.layered);

    // Other suites show their windows on the same display: the splash is
    // raised above them so the pixels below are its own.
    SetWindowPos(splash->hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const int middleX = left + kPictureWidth / 2, middleY = top + kPictureHeight / 2;
    COLORREF middle = WaitForPixel(middleX, middleY, c.colour, c.tolerance);
    EXPECT_TRUE(Near(middle, c.colour, c.tolerance)) << "middle of the picture is " << Hex(middle);
    const POINT outside[] = {{left - 1, middleY}, {left + kPictureWidth, middleY}, {middleX, top - 1},
                             {middleX, top + kPictureHeight}};
    for (const POINT& p : outside) {
      COLORREF seen = testsupport::ScreenPixel(p.x, p.y);
      EXPECT_FALSE(Near(seen, c.colour, c.tolerance)) << "the picture reaches past its edge at " << p.x << "," << p.y;
    }
    if (c.layered) {
      // The transparent border shows what lies beneath, as the pixel beside the window does.
      COLORREF beneath = testsupport::ScreenPixel(left - 1, top + 5);
      COLORREF corner = testsupport::ScreenPixel(left + 5, top + 5);
      EXPECT_EQ(Hex(corner), Hex(beneath)) << "transparent pixels are not see-through";
    }
    std::wstring shot = std::wstring(L"e2e-splash-") + c.file;
    shot.replace(shot.rfind(L'.'), 1, L"-");
    testsupport::SaveScreenshot(BinFile(shot + L".png"));

    mainMayReturn.Set();
    ASSERT_TRUE(process.Wait(30000)) << "the launcher did not end after main returned";
    EXPECT_EQ(process.ExitCode(), 0u) << app.RecordText();
  }
}

TEST(SplashWindowPicture, UnusablePictureShowsNothingAndTheApplicationRuns) {
  const std::vector<unsigned char> png = [] {
    std::string bytes = testsupport::ReadBytes(BinFile(L"pictures\\opaque.png"));
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
  }();
  ASSERT_GT(png.size(), 100u);
  struct Case {
    const char* what;
    std::vector<unsigned char> bytes;  // none: no file at all
    bool exists;
  };
  // A JPEG whose frame header declares 9000 x 9000 pixels in a few hundred
  // bytes: refused before a decoder allocates for it.
  std::vector<unsigned char> jpeg = [] {
    std::string bytes = testsupport::ReadBytes(BinFile(L"pictures\\plain.jpg"));
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
  }();
  for (size_t i = 0; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = jpeg[i + 7] = 9000 >> 8;
      jpeg[i + 6] = jpeg[i + 8] = 9000 & 0xFF;
      break;
    }
  }
  const Case cases[] = {
      {"missing", {}, false},
      {"empty", {}, true},
      {"truncated", std::vector<unsigned char>(png.begin(), png.begin() + 60), true},
      {"garbage", std::vector<unsigned char>(5000, 0xA7), true},
      {"JPEG declaring 9000 x 9000", jpeg, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DoubleApp app;
    const std::wstring picture = app.app.path(L"splash.png");
    if (c.exists) testsupport::WriteBinaryFile(picture, c.bytes);
    TestEvent mainMayReturn;
    WriteSettings(app, L"test.Wait", L"Splash Screen=" + picture + L"\r\n");
    Process process = app.Start(L"", {{L"VORN_DOUBLE_WAIT_EVENT", mainMayReturn.name()}});
    auto splash = WaitForSplash(process);
    ASSERT_TRUE(splash.has_value()) << app.RecordText();
    EXPECT_EQ(splash->rect.right - splash->rect.left, 0);
    EXPECT_EQ(splash->rect.bottom - splash->rect.top, 0);
    ASSERT_TRUE(WaitForMain(app, process)) << "the application must still start\n" << app.RecordText();
    for (const auto& w : testsupport::ProcessWindows(process.id())) {
      EXPECT_FALSE(testsupport::IsMessageBox(w)) << "unexpected box: " << Narrow(w.StaticText());
    }
    mainMayReturn.Set();
    ASSERT_TRUE(process.Wait(30000));
    EXPECT_EQ(process.ExitCode(), 0u);
  }
}

// A placeable metafile of `side` x `side` pixels (at 96 per inch) whose
// records each invert the whole picture: drawing it takes as long as `fills`
// make it, while its header is small and plain. The picture is drawn in
// units of 0.01 mm, which its records must reach in 16 bits: `side` is at
// most 1238.
std::vector<unsigned char> SlowMetafile(int side, int fills) {
  const unsigned extent = static_cast<unsigned>(side) * 2540 / 96;
  std::vector<unsigned char> b;
  auto word = [&](unsigned value) {
    b.push_back(static_cast<unsigned char>(value & 0xFF));
    b.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
  };
  word(0xCDD7);  // the placeable header's key
  word(0x9AC6);
  for (unsigned value : {0u, 0u, 0u, static_cast<unsigned>(side), static_cast<unsigned>(side), 96u, 0u, 0u}) {
    word(value);
  }
  unsigned checksum = 0;
  for (size_t i = 0; i < b.size(); i += 2) checksum ^= b[i] | (b[i + 1] << 8);
  word(checksum);
  const unsigned records = 9u * fills + 3u, size = 9u + records;  // in 16-bit words
  for (unsigned value : {1u, 9u, 0x300u, size & 0xFFFF, size >> 16, 0u, 9u, 0u, 0u}) word(value);
  for (int i = 0; i < fills; ++i) {
    // PatBlt(x 0, y 0, extent, extent, PATINVERT); parameters stored last to first.
    for (unsigned value : {9u, 0u, 0x061Du, 0x0049u, 0x005Au, extent, extent, 0u, 0u}) {
      word(value);
    }
  }
  for (unsigned value : {3u, 0u, 0u}) word(value);  // end of file
  return b;
}

TEST(SplashWindowWait, APictureSlowToDrawDoesNotHoldTheApplicationBack) {
  DoubleApp app;
  const std::wstring picture = app.app.path(L"slow.wmf");
  testsupport::WriteBinaryFile(picture, SlowMetafile(1200, 100000));
  WriteSettings(app, L"test.Echo", L"Splash Screen=" + picture + L"\r\n");
  Process process = app.Start(L"");
  // Drawing takes minutes; main comes a few seconds after the start.
  EXPECT_TRUE(WaitForMain(app, process)) << "main waited for the splash picture\n" << app.RecordText();
  // The splash thread is still drawing: the process is ended here.
}

TEST(SplashWindowShadow, ClassHasDropShadowOnlyForTrue) {
  const std::pair<std::wstring, bool> cases[] = {{L"true", true}, {L"True", false}, {L"TRUE", false}};
  for (const auto& [value, shadow] : cases) {
    SCOPED_TRACE(Narrow(value));
    DoubleApp app;
    TestEvent mainMayReturn;
    WriteSettings(app, L"test.Wait",
                  L"Splash Screen=" + BinFile(L"pictures\\plain.bmp") + L"\r\nSplash Screen Shadow=" + value + L"\r\n");
    Process process = app.Start(L"", {{L"VORN_DOUBLE_WAIT_EVENT", mainMayReturn.name()}});
    auto splash = WaitForSplash(process);
    ASSERT_TRUE(splash.has_value());
    const ULONG_PTR style = GetClassLongPtrW(splash->hwnd, GCL_STYLE);
    EXPECT_EQ((style & CS_DROPSHADOW) != 0, shadow) << "class style " << style;
    EXPECT_EQ(style & (CS_DBLCLKS | CS_SAVEBITS | CS_GLOBALCLASS), static_cast<ULONG_PTR>(CS_DBLCLKS | CS_SAVEBITS));
    mainMayReturn.Set();
    ASSERT_TRUE(process.Wait(30000));
  }
}

TEST(SplashWindowClose, GoneBeforeTheExceptionDialogShows) {
  DoubleApp app;
  TestEvent createMayGoOn;
  WriteSettings(app, L"test.Throws", L"Splash Screen=" + BinFile(L"pictures\\plain.bmp") + L"\r\n",
                L"Failure Check=Yes\r\n");
  Process process = app.Start(L"", {{L"VORN_DOUBLE_CREATE_GATE", createMayGoOn.name()}});
  ASSERT_TRUE(WaitForSplash(process).has_value());
  createMayGoOn.Set();
  auto dialog = testsupport::WaitForWindow(
      process.id(), splashtest::kWindowWaitMs, [](const auto& w) { return w.caption == L"Java Exception"; },
      process.handle());
  ASSERT_TRUE(dialog.has_value()) << app.RecordText();
  EXPECT_TRUE(testsupport::ProcessWindowsOfClass(process.id(), splashtest::kSplashClass).empty())
      << "the splash window still exists while the dialog shows";
  testsupport::PressButton(dialog->hwnd, IDOK);
  ASSERT_TRUE(process.Wait(30000));
  EXPECT_EQ(process.ExitCode(), 0u);
}

TEST(SplashWindowOwner, BoxRaisedWhileTheSplashIsUpIsOwnedByIt) {
  DoubleApp app;
  TestEvent createMayGoOn;
  WriteSettings(app, L"test.Echo", L"Splash Screen=" + BinFile(L"pictures\\plain.bmp") + L"\r\n", L"",
                L"Virtual Machine Parameters=-Dvorn.double.create=-1\r\n");
  Process process = app.Start(L"", {{L"VORN_DOUBLE_CREATE_GATE", createMayGoOn.name()}});
  auto splash = WaitForSplash(process);
  ASSERT_TRUE(splash.has_value());
  createMayGoOn.Set();
  auto box = testsupport::WaitForWindow(process.id(), splashtest::kWindowWaitMs, testsupport::IsMessageBox,
                                        process.handle());
  ASSERT_TRUE(box.has_value()) << app.RecordText();
  EXPECT_EQ(box->owner, splash->hwnd) << "the box has another owner";
  testsupport::PressButton(box->hwnd, IDOK);
  ASSERT_TRUE(process.Wait(30000));
  EXPECT_EQ(process.ExitCode(), exitcode::kLaunchFailedCode);
}

TEST(SplashWindowClose, MainReturningAtOnceLeavesNothingRunning) {
  DoubleApp app;
  WriteSettings(app, L"test.Echo", L"Splash Screen=" + BinFile(L"pictures\\plain.bmp") + L"\r\n");
  for (int run = 0; run < 3; ++run) {
    testsupport::LauncherRun result = app.Run(L"x");
    ASSERT_TRUE(result.result.finished) << "run " << run << ": the launcher hung";
    EXPECT_EQ(result.result.exitCode, 0u) << "run " << run;
    EXPECT_TRUE(result.boxes.empty()) << "run " << run;
    EXPECT_EQ(app.MainArguments(), std::vector<std::wstring>{L"x"});
  }
}

}  // namespace
