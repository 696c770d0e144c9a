// The "Java Exception" dialog end to end: a launcher copy whose main class
// throws, with "Failure Check" on, shows the stack trace; the user's choice
// decides the exit code.
#include <gtest/gtest.h>
#include <windows.h>

#include "resources/resource_ids.h"
#include "tests/support/double_app.h"
#include "tests/support/ui_driver.h"

namespace {

using testsupport::DoubleApp;
using testsupport::Settings;
using testsupport::WindowInfo;

constexpr DWORD kStopped = 0xFFFFFFFF;

bool IsExceptionDialog(const WindowInfo& w) { return w.caption == L"Java Exception"; }

struct ThrowingApp {
  explicit ThrowingApp(bool failureCheck) {
    Settings s;
    s.mainClass = L"test.Throws";
    if (failureCheck) s.applicationLines = L"Failure Check=yes\r\n";
    app.Write(s);
  }
  DoubleApp app;
};

// Starts the throwing application and waits for its dialog.
std::optional<WindowInfo> StartAndFindDialog(const ThrowingApp& t, testsupport::Process& process) {
  process = t.app.Start();
  EXPECT_TRUE(process.started());
  return testsupport::WaitForWindow(process.id(), 20000, IsExceptionDialog, process.handle());
}

TEST(DialogJavaException, ShowsTheTraceThatPrintStackTraceProduced) {
  ThrowingApp t(true);
  testsupport::Process process;
  auto dialog = StartAndFindDialog(t, process);
  ASSERT_TRUE(dialog.has_value()) << "no dialog appeared\n" << t.app.RecordText();
  const auto* trace = dialog->Control(IDC_EXCEPTION_TRACE);
  ASSERT_NE(trace, nullptr);
  EXPECT_NE(trace->text.find(L"java.lang.IllegalStateException: bad state: Gr\u00fc\u00dfe \u2713 \U0001D11E"),
            std::wstring::npos)
      << "the trace lost its characters on the way";
  EXPECT_NE(trace->text.find(L"Caused by:"), std::wstring::npos);
  EXPECT_NE(trace->text.find(L"\tat test.Throws.main"), std::wstring::npos);
  EXPECT_EQ(dialog->owner, nullptr) << "no window of the launcher is active to own it";
  Sleep(300);
  testsupport::SaveScreenshot(testsupport::BinFile(L"e2e-exception-dialog.png"));
  testsupport::PressButton(dialog->hwnd, IDOK);
  ASSERT_TRUE(process.Wait(20000));
  EXPECT_EQ(process.ExitCode(), 0u) << "Ignore lets the run end with 0";
  EXPECT_TRUE(t.app.Values("exit ").empty()) << "Ignore must not call System.exit";
  t.app.ExpectCleanJniUse();
}

TEST(DialogJavaException, StopEscapeAndCloseBoxEndWithMinusOneThroughTheVm) {
  for (int way = 0; way < 3; ++way) {
    ThrowingApp t(true);
    testsupport::Process process;
    auto dialog = StartAndFindDialog(t, process);
    ASSERT_TRUE(dialog.has_value()) << "way " << way;
    if (way == 0) {
      testsupport::PressButton(dialog->hwnd, IDCANCEL);
    } else if (way == 1) {
      testsupport::SendKey(dialog->Control(IDC_EXCEPTION_TRACE)->hwnd, VK_ESCAPE);
    } else {
      PostMessageW(dialog->hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    ASSERT_TRUE(process.Wait(20000)) << "way " << way;
    EXPECT_EQ(process.ExitCode(), kStopped) << "way " << way;
    EXPECT_EQ(t.app.Values("exit "), std::vector<std::string>{"-1"}) << "Stop ends through System.exit(-1)";
  }
}

TEST(DialogJavaException, NoDialogWithoutFailureCheck) {
  ThrowingApp t(false);
  testsupport::Process process = t.app.Start();
  auto dialog = testsupport::WaitForWindow(process.id(), 3000, IsExceptionDialog, process.handle());
  EXPECT_FALSE(dialog.has_value());
  if (dialog) testsupport::PressButton(dialog->hwnd, IDOK);
  ASSERT_TRUE(process.Wait(20000));
  EXPECT_EQ(process.ExitCode(), 1u) << "an exception that escaped main ends the run with 1, as with java";
  EXPECT_EQ(t.app.Values("describe ").size(), 1u) << "the exception is still described on standard error";
}

}  // namespace
