// The hyperlink control on a window of the test's own: the static's style,
// state and font shape where and how the link is drawn and where it reacts.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "common/win_handles.h"
#include "ui/hyperlink_control.h"

namespace {

constexpr int kWidth = 240, kHeight = 60;

// Where pixels of `colour` lie in the control's own drawing (WM_PRINTCLIENT).
struct Extent {
  int count = 0, left = kWidth, right = -1, bottom = -1;
};
Extent Drawn(HWND control, COLORREF colour) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(bi.bmiHeader), kWidth, -kHeight, 1, 32, BI_RGB};
  void* bits = nullptr;
  win::Unique<HBITMAP, nullptr, win::DeleteObjectFn> bitmap(CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  HGDIOBJ old = SelectObject(dc, bitmap.get());
  SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  GdiFlush();
  Extent e;
  const auto* p = static_cast<const unsigned char*>(bits);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x, p += 4) {
      if (RGB(p[2], p[1], p[0]) != colour) continue;
      ++e.count;
      e.left = std::min(e.left, x);
      e.right = std::max(e.right, x);
      e.bottom = std::max(e.bottom, y);
    }
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return e;
}

TEST(HyperlinkControl, CentredStaticDisabledStateAndFontChange) {
  win::Window parent(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr, nullptr,
                                     nullptr));
  HWND link = CreateWindowExW(0, L"STATIC", L"https://example.test/", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 0, kWidth,
                              kHeight, parent.get(), nullptr, nullptr, nullptr);
  ASSERT_NE(link, nullptr);
  ui::HyperlinkControl control;
  control.Attach(link);
  EXPECT_TRUE(GetWindowLongPtrW(link, GWL_STYLE) & SS_NOTIFY) << "a static must see mouse messages";

  const COLORREF blue = RGB(0, 0, 255);
  Extent text = Drawn(link, blue);
  ASSERT_GT(text.count, 20) << "the link is drawn in blue";
  EXPECT_NEAR((text.left + text.right) / 2, kWidth / 2, 3) << "SS_CENTER centres the link";

  // Only the link text reacts: a press beside it takes neither focus nor capture.
  SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  EXPECT_EQ(GetCapture(), nullptr);
  SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kWidth / 2, 3));
  EXPECT_EQ(GetCapture(), link);
  SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 40));  // released outside: nothing opens
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Drawn(link, RGB(128, 0, 128)).count, 0) << "nothing was opened, so nothing is drawn as visited";

  EnableWindow(link, FALSE);
  EXPECT_EQ(Drawn(link, blue).count, 0);
  EXPECT_GT(Drawn(link, GetSysColor(COLOR_GRAYTEXT)).count, 20) << "a disabled link is grey";
  EnableWindow(link, TRUE);

  LOGFONTW big{};
  big.lfHeight = -28;
  wcscpy(big.lfFaceName, L"Tahoma");
  win::Font font(CreateFontIndirectW(&big));
  SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)), font.get());
  Extent larger = Drawn(link, blue);
  EXPECT_GT(larger.right - larger.left, text.right - text.left) << "the link font follows the new font";
  EXPECT_GT(larger.bottom, text.bottom) << "still underlined, below the taller text";
  EXPECT_NEAR((larger.left + larger.right) / 2, kWidth / 2, 3) << "the rectangle is computed anew";
  DestroyWindow(link);
}

}  // namespace
