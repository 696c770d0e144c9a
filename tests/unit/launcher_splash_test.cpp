// The own splash window's thread: it reports its window once the window is
// shown, and it is ended however early the close comes; a splash whose thread
// never started is closed at once.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "launcher/launcher.h"
#include "splash/splash_window.h"

namespace {

TEST(LauncherCloseSplash, WithoutASplashThreadReturnsAtOnce) {
  launcher::Launcher launcher;
  launcher.splashWindow = std::make_unique<splash::SplashWindow>();
  launcher.CloseSplashWindow();  // would wait for ever for a thread that does not exist
  EXPECT_EQ(launcher.splashWindow, nullptr);
}

TEST(LauncherCloseSplash, EndsAThreadWhoseMessageQueueComesLate) {
  launcher::Launcher launcher;
  launcher.splashWindow = std::make_unique<splash::SplashWindow>();
  DWORD id = 0;
  // A splash thread slow to start: posts fail until its queue exists.
  launcher.splashThread.reset(CreateThread(
      nullptr, 0,
      [](LPVOID) -> DWORD {
        Sleep(300);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        return 0;
      },
      nullptr, 0, &id));
  ASSERT_TRUE(launcher.splashThread);
  launcher.splashThreadId = id;
  HANDLE thread = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), launcher.splashThread.get(), GetCurrentProcess(), &thread, 0,
                              FALSE, DUPLICATE_SAME_ACCESS));
  launcher.CloseSplashWindow();
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "the splash thread still runs";
  CloseHandle(thread);
  EXPECT_FALSE(launcher.splashThread);
  EXPECT_EQ(launcher.splashWindow, nullptr);
}

TEST(LauncherSplashThread, ReportsItsWindowOnceShown) {
  launcher::Launcher launcher;
  launcher.splashWindow = std::make_unique<splash::SplashWindow>();
  launcher.splashImagePath = L"Z:\\no such folder\\splash.png";  // a 0 x 0 window
  launcher.splashReady.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(launcher.splashReady);
  DWORD id = 0;
  launcher.splashThread.reset(CreateThread(nullptr, 0, launcher::Launcher::SplashThreadMain, &launcher, 0, &id));
  ASSERT_TRUE(launcher.splashThread);
  launcher.splashThreadId = id;
  ASSERT_EQ(WaitForSingleObject(launcher.splashReady.get(), 30000), WAIT_OBJECT_0);
  // Read after the event: the window exists and is shown already.
  ASSERT_NE(launcher.splashWindow->window(), nullptr);
  EXPECT_TRUE(IsWindowVisible(launcher.splashWindow->window()));
  launcher.splashWindowHandle = launcher.splashWindow->window();  // as the launch takes it over
  launcher.CloseSplashWindow();
  EXPECT_EQ(launcher.splashWindowHandle, nullptr) << "a closed splash must not own later boxes";
  EXPECT_FALSE(launcher.splashThread);
}

}  // namespace
