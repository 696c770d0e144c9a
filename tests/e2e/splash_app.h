// Helpers of the splash end-to-end tests: applications on the double runtime
// with a [Display] section, named events that hold the double where the test
// wants it, and the search for the splash window.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "tests/support/double_app.h"
#include "tests/support/ui_driver.h"

namespace splashtest {

inline constexpr wchar_t kSplashClass[] = L"SplashScreenWindow";
inline constexpr DWORD kWindowWaitMs = 30000;

// A manual-reset event with a name unique to this test process; set (so no
// launcher keeps waiting for it) when the test ends.
class TestEvent {
 public:
  TestEvent() {
    static int counter = 0;
    name_ = L"vorn-splash-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    handle_ = CreateEventW(nullptr, TRUE, FALSE, name_.c_str());
  }
  ~TestEvent() {
    Set();
    CloseHandle(handle_);
  }
  TestEvent(const TestEvent&) = delete;
  TestEvent& operator=(const TestEvent&) = delete;
  const std::wstring& name() const { return name_; }
  void Set() const { SetEvent(handle_); }

 private:
  std::wstring name_;
  HANDLE handle_ = nullptr;
};

// The settings of a double application with a [Display] section.
inline void WriteSettings(const testsupport::DoubleApp& app, const std::wstring& mainClass,
                          const std::wstring& displayLines, const std::wstring& applicationLines = L"",
                          const std::wstring& runtimeLines = L"") {
  testsupport::Settings s;
  s.mainClass = mainClass;
  s.runtimeLines = runtimeLines;
  s.applicationLines = applicationLines + L"[Display]\r\n" + displayLines;
  app.Write(s);
}

inline bool IsSplash(const testsupport::WindowInfo& w) { return w.className == kSplashClass; }

inline std::optional<testsupport::WindowInfo> WaitForSplash(const testsupport::Process& process) {
  return testsupport::WaitForWindow(process.id(), kWindowWaitMs, IsSplash, process.handle());
}

// Waits until the double recorded the call of main.
inline bool WaitForMain(const testsupport::DoubleApp& app, const testsupport::Process& process) {
  ULONGLONG deadline = GetTickCount64() + kWindowWaitMs;
  while (GetTickCount64() < deadline) {
    if (app.Record().Main() != nullptr) return true;
    if (WaitForSingleObject(process.handle(), 0) == WAIT_OBJECT_0) return false;
    Sleep(50);
  }
  return false;
}

}  // namespace splashtest
