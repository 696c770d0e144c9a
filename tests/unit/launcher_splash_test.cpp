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
  launcher::SplashState state;
  state.splashWindow = std::make_unique<splash::SplashWindow>();
  state.CloseSplashWindow();  // would wait for ever for a thread that does not exist
  EXPECT_EQ(state.splashWindow, nullptr);
}

TEST(LauncherCloseSplash, EndsAThreadWhoseMessageQueueComesLate) {
  launcher::SplashState state;
  state.splashWindow = std::make_unique<splash::SplashWindow>();
  DWORD id = 0;
  // A splash thread slow to start: posts fail until its queue exists.
  state.splashThread.reset(CreateThread(
      nullptr, 0,
      [](LPVOID) -> DWORD {
        Sleep(300);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        return 0;
      },
      nullptr, 0, &id));
  ASSERT_TRUE(state.splashThread);
  state.splashThreadId = id;
  HANDLE thread = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), state.splashThread.get(), GetCurrentProcess(), &thread, 0,
                              FALSE, DUPLICATE_SAME_ACCESS));
  state.CloseSplashWindow();
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "the splash thread still runs";
  CloseHandle(thread);
  EXPECT_FALSE(state.splashThread);
  EXPECT_EQ(state.splashWindow, nullptr);
}

TEST(LauncherSplashThread, ReportsItsWindowOnceShown) {
  launcher::SplashState state;
  state.splashWindow = std::make_unique<splash::SplashWindow>();
  state.splashImagePath = L"Z:\\no such folder\\splash.png";  // a 0 x 0 window
  state.splashReady.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(state.splashReady);
  DWORD id = 0;
  state.splashThread.reset(CreateThread(nullptr, 0, launcher::SplashState::SplashThreadMain, &state, 0, &id));
  ASSERT_TRUE(state.splashThread);
  state.splashThreadId = id;
  ASSERT_EQ(WaitForSingleObject(state.splashReady.get(), 30000), WAIT_OBJECT_0);
  // Read after the event: the window exists and is shown already.
  ASSERT_NE(state.splashWindow->window(), nullptr);
  EXPECT_TRUE(IsWindowVisible(state.splashWindow->window()));
  state.splashWindowHandle = state.splashWindow->window();  // as the launch takes it over
  state.CloseSplashWindow();
  EXPECT_EQ(state.splashWindowHandle, nullptr) << "a closed splash must not own later boxes";
  EXPECT_FALSE(state.splashThread);
}

}  // namespace
