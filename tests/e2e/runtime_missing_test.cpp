// A real launcher copy that finds no runtime ends quietly with -1.
#include <gtest/gtest.h>

#include "tests/fixtures/runtime_registry.h"
#include "tests/support/launcher_app.h"

namespace {

TEST(RuntimeMissingEndToEnd, JrePathWithoutLibraryAndNoRegistrationsEndsWithMinusOneAndNoWindow) {
  runtimetest::VendorKeys keys;  // no registration in either view
  testsupport::AppFolder app;
  testsupport::TempFolder emptyRuntime;
  app.WriteIni(
      L"[Java Runtime Environment]\r\n"
      L"Main Class=app.Main\r\n"
      L"JRE Path=" +
      emptyRuntime.path() +
      L"\r\n"
      L"[Application]\r\n"
      L"Pair Product=" +
      app.path(L"app32.exe") + L"\r\n");

  testsupport::Process process = testsupport::Process::Start(app.exe(), testsupport::Quoted(app.exe()));
  ASSERT_TRUE(process.started()) << "the launcher copy did not start, error " << GetLastError();
  auto window = testsupport::WaitForWindow(process.id(), 1500, nullptr, process.handle());
  if (window) {
    ADD_FAILURE() << "the launcher showed a window \"" << window->caption << "\": " << window->StaticText();
    testsupport::PressButton(window->hwnd, IDOK);
  }
  ASSERT_TRUE(process.Wait(20000)) << "the launcher did not end";
  EXPECT_EQ(process.ExitCode(), 0xFFFFFFFFu);
}

}  // namespace
