// The "Java Exception" dialog, shown in-process on a thread of its own and
// driven from the test's thread as a user would.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "jvm/dialog_layout.h"
#include "jvm/exception_dialog.h"
#include "resources/resource_ids.h"
#include "tests/support/test_files.h"
#include "tests/support/ui_driver.h"

namespace {

using testsupport::WindowInfo;

// How long a dialog may take to come or go: generous, the machine may be busy.
constexpr DWORD kPatience = 30000;

const std::wstring kTrace =
    L"java.lang.IllegalStateException: bad state: Gr\u00FC\u00DFe \u2713 \U0001D11E\r\n"
    L"\tat test.Throws.main(Throws.java:5)\r\nCaused by: java.io.IOException: disk\r\n\t... 1 more\r\n";

// Runs the dialog on its own thread; the result arrives when it ends.
class DialogRun {
 public:
  explicit DialogRun(std::wstring text) : text_(std::move(text)) {
    thread_ = std::thread([this] { result_ = jvm::ShowExceptionDialog(nullptr, text_); done_ = true; });
  }
  ~DialogRun() {
    if (auto w = Find(0)) PostMessageW(w->hwnd, WM_COMMAND, IDOK, 0);
    thread_.join();
  }
  std::optional<WindowInfo> Find(DWORD timeoutMs) const {
    return testsupport::WaitForWindow(GetCurrentProcessId(), timeoutMs,
                                      [](const WindowInfo& w) { return w.caption == L"Java Exception"; });
  }
  // The dialog's result, once it ended within the time.
  std::optional<INT_PTR> Result(DWORD timeoutMs) {
    for (ULONGLONG end = GetTickCount64() + timeoutMs; GetTickCount64() < end; Sleep(20)) {
      if (done_) return result_.load();
    }
    return std::nullopt;
  }

 private:
  std::wstring text_;
  std::atomic<INT_PTR> result_{0};
  std::atomic<bool> done_{false};
  std::thread thread_;
};

RECT ClientRectOf(HWND dialog, HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool Overlap(const RECT& a, const RECT& b) {
  RECT i;
  return IntersectRect(&i, &a, &b) != FALSE;
}

TEST(ExceptionDialog, ShowsTheTraceReadOnlyWithTheProductTexts) {
  DialogRun run(kTrace);
  auto dialog = run.Find(kPatience);
  ASSERT_TRUE(dialog.has_value()) << "the dialog did not appear";
  const auto* trace = dialog->Control(IDC_EXCEPTION_TRACE);
  ASSERT_NE(trace, nullptr);
  EXPECT_EQ(trace->text, kTrace) << "the trace must reach the dialog unchanged, non-ASCII included";
  EXPECT_NE(trace->style & ES_READONLY, 0u);
  EXPECT_NE(trace->style & ES_MULTILINE, 0u);
  EXPECT_NE(trace->style & WS_VSCROLL, 0u);
  ASSERT_NE(dialog->Control(IDOK), nullptr);
  EXPECT_EQ(dialog->Control(IDOK)->text, L"Ignore");
  EXPECT_EQ(dialog->Control(IDCANCEL)->text, L"Stop");
  EXPECT_EQ(dialog->Control(IDC_EXCEPTION_FRAME)->text, L"Uncaught Exception");
  EXPECT_EQ(dialog->Control(IDC_EXCEPTION_HEADING)->text,
            L"The java process has thrown the following uncaught exception:");
  EXPECT_EQ(dialog->Control(IDC_EXCEPTION_INSTRUCTION)->text,
            L"Press Ignore to continue and ignore the exception or press Stop to close the application.");
  EXPECT_EQ(dialog->Control(IDC_EXCEPTION_WARNING)->text,
            L"WARNING: If you choose to Stop the application any unsaved data will be lost.");
  EXPECT_NE(SendMessageW(dialog->Control(IDC_EXCEPTION_ICON)->hwnd, STM_GETICON, 0, 0), 0)
      << "the error icon is missing";
  const auto* grip = dialog->Control(0xE801);
  ASSERT_NE(grip, nullptr) << "no size grip";
  EXPECT_EQ(grip->className, L"ScrollBar");
  EXPECT_NE(dialog->style & WS_THICKFRAME, 0u);
  EXPECT_NE(dialog->style & WS_CLIPCHILDREN, 0u);
  EXPECT_NE(dialog->exStyle & WS_EX_DLGMODALFRAME, 0u);

  // No control overlaps another, and all lie inside the client area.
  RECT client;
  GetClientRect(dialog->hwnd, &client);
  std::vector<std::pair<int, RECT>> rects;
  for (int id : {IDOK, IDCANCEL, IDC_EXCEPTION_ICON, IDC_EXCEPTION_TRACE, IDC_EXCEPTION_HEADING,
                 IDC_EXCEPTION_INSTRUCTION, IDC_EXCEPTION_WARNING}) {
    rects.push_back({id, ClientRectOf(dialog->hwnd, dialog->Control(id)->hwnd)});
  }
  for (size_t i = 0; i < rects.size(); ++i) {
    RECT inside;
    EXPECT_TRUE(IntersectRect(&inside, &rects[i].second, &client) && EqualRect(&inside, &rects[i].second))
        << "control " << rects[i].first << " is clipped";
    for (size_t j = i + 1; j < rects.size(); ++j) {
      EXPECT_FALSE(Overlap(rects[i].second, rects[j].second))
          << "controls " << rects[i].first << " and " << rects[j].first << " overlap";
    }
  }
  Sleep(300);
  testsupport::SaveScreenshot(testsupport::BinFile(L"exception-dialog.png"));
  EXPECT_TRUE(testsupport::PressButton(dialog->hwnd, IDOK));
  EXPECT_EQ(run.Result(kPatience).value_or(-99), 1) << "Ignore ends the dialog with 1";
}

TEST(ExceptionDialog, StopEscapeAndTheCloseBoxAllStop) {
  for (int way = 0; way < 3; ++way) {
    DialogRun run(kTrace);
    auto dialog = run.Find(kPatience);
    ASSERT_TRUE(dialog.has_value());
    if (way == 0) {
      testsupport::PressButton(dialog->hwnd, IDCANCEL);
    } else if (way == 1) {
      // Escape typed into the focused trace box.
      testsupport::SendKey(dialog->Control(IDC_EXCEPTION_TRACE)->hwnd, VK_ESCAPE);
    } else {
      PostMessageW(dialog->hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    EXPECT_EQ(run.Result(kPatience).value_or(-99), 2) << "way " << way;
  }
}

TEST(ExceptionDialog, EnterChoosesIgnore) {
  DialogRun run(L"x");
  auto dialog = run.Find(kPatience);
  ASSERT_TRUE(dialog.has_value());
  testsupport::SendKey(dialog->Control(IDOK)->hwnd, VK_RETURN);
  EXPECT_EQ(run.Result(kPatience).value_or(-99), 1);
}

TEST(ExceptionDialog, ResizingGrowsTheTraceAndKeepsButtonsBottomRight) {
  DialogRun run(kTrace);
  auto dialog = run.Find(kPatience);
  ASSERT_TRUE(dialog.has_value());
  HWND hwnd = dialog->hwnd;
  auto rectOf = [&](int id) { return ClientRectOf(hwnd, GetDlgItem(hwnd, id)); };
  RECT window0, client0;
  GetWindowRect(hwnd, &window0);
  GetClientRect(hwnd, &client0);
  RECT trace0 = rectOf(IDC_EXCEPTION_TRACE), stop0 = rectOf(IDCANCEL), icon0 = rectOf(IDC_EXCEPTION_ICON);
  RECT warning0 = rectOf(IDC_EXCEPTION_WARNING), heading0 = rectOf(IDC_EXCEPTION_HEADING);

  MINMAXINFO limits{};
  SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, window0.right - window0.left) << "the dialog can shrink below its first size";
  EXPECT_EQ(limits.ptMinTrackSize.y, window0.bottom - window0.top);

  const int dx = 150, dy = 90;
  SetWindowPos(hwnd, nullptr, 0, 0, window0.right - window0.left + dx, window0.bottom - window0.top + dy,
               SWP_NOMOVE | SWP_NOZORDER);
  RECT client1;
  GetClientRect(hwnd, &client1);
  ASSERT_EQ(client1.right - client0.right, dx);
  ASSERT_EQ(client1.bottom - client0.bottom, dy);
  RECT trace1 = rectOf(IDC_EXCEPTION_TRACE), stop1 = rectOf(IDCANCEL), icon1 = rectOf(IDC_EXCEPTION_ICON);
  RECT warning1 = rectOf(IDC_EXCEPTION_WARNING), heading1 = rectOf(IDC_EXCEPTION_HEADING);
  EXPECT_EQ(trace1.right - trace1.left, trace0.right - trace0.left + dx) << "the trace box takes the width";
  EXPECT_EQ(trace1.bottom - trace1.top, trace0.bottom - trace0.top + dy) << "the trace box takes the height";
  EXPECT_EQ(client1.right - stop1.right, client0.right - stop0.right) << "Stop keeps to the right edge";
  EXPECT_EQ(client1.bottom - stop1.bottom, client0.bottom - stop0.bottom) << "Stop keeps to the bottom edge";
  EXPECT_EQ(stop1.right - stop1.left, stop0.right - stop0.left);
  EXPECT_TRUE(EqualRect(&icon1, &icon0)) << "the icon stays put";
  EXPECT_EQ(warning1.top, warning0.top + dy);
  EXPECT_EQ(warning1.right, warning0.right + dx);
  EXPECT_EQ(heading1.top, heading0.top);
  EXPECT_EQ(heading1.right, heading0.right + dx);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(300);  // let the dialog's thread paint before the picture is taken
  testsupport::SaveScreenshot(testsupport::BinFile(L"exception-dialog-large.png"));

  ShowWindow(hwnd, SW_MAXIMIZE);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(hwnd, 0xE801))) << "maximised, the size grip hides";
  ShowWindow(hwnd, SW_RESTORE);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(hwnd, 0xE801)));
  testsupport::PressButton(hwnd, IDOK);
  EXPECT_EQ(run.Result(kPatience).value_or(-99), 1);
}

TEST(ExceptionDialogLayout, RulesAndCentring) {
  jvm::LayoutRect r{10, 20, 60, 34};
  EXPECT_EQ(jvm::ApplyLayoutRule(r, jvm::kMoveRight | jvm::kMoveDown, 5, 7), (jvm::LayoutRect{15, 27, 65, 41}));
  EXPECT_EQ(jvm::ApplyLayoutRule(r, jvm::kGrowWidth | jvm::kGrowHeight, 5, 7), (jvm::LayoutRect{10, 20, 65, 41}));
  EXPECT_EQ(jvm::ApplyLayoutRule(r, jvm::kGrowWidth | jvm::kMoveDown, 5, 7), (jvm::LayoutRect{10, 27, 65, 41}));
  EXPECT_EQ(jvm::ApplyLayoutRule(r, jvm::kFixed, 5, 7), r);
  jvm::LayoutRect screen{0, 0, 1000, 700};
  auto p = jvm::CentreWithin(200, 100, {100, 100, 500, 300}, screen);
  EXPECT_EQ(p.x, 200);
  EXPECT_EQ(p.y, 150);
  p = jvm::CentreWithin(200, 100, {900, 650, 1000, 700}, screen);  // would stick out bottom-right
  EXPECT_EQ(p.x, 800);
  EXPECT_EQ(p.y, 600);
  p = jvm::CentreWithin(200, 100, {-300, -300, -100, -200}, screen);  // would stick out top-left
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
}

}  // namespace
