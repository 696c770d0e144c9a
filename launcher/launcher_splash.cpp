// The splash stages: the "Display" settings, the route (the runtime's
// splashscreen.dll or the own window), and closing the own window.
#include <windows.h>

#include <string>

#include "common/found_files_win.h"
#include "common/text_win.h"
#include "common/win_handles.h"
#include "config/settings_keys.h"
#include "config/settings_store.h"
#include "launcher/launcher.h"
#include "report/service_mode.h"
#include "splash/splash_rules.h"
#include "splash/splash_window.h"

namespace launcher {

namespace keys = config::keys;

namespace {

using SplashInitFn = void (*)();
using SplashLoadFileFn = int (*)(const char*);
using SplashSetFileJarNameFn = void (*)(const char*, const char*);

// How long the closing thread waits for the splash thread between two posts
// of WM_QUIT (a post fails while the thread has no message queue yet).
constexpr DWORD kQuitRetryMs = 20;
// How long the launch waits for the splash window at most: a picture slow to
// decode must not hold the application back.
constexpr DWORD kSplashWaitMs = 5000;

}  // namespace

SplashState::SplashState() = default;
SplashState::~SplashState() = default;

bool SplashState::StartSplash(const std::wstring& settingsFile, const std::wstring& jvmLibraryPath) {
  if (settingsFile.empty()) return false;
  config::SettingsStore display;
  display.Open(settingsFile);
  splashImagePath = display.Lookup(keys::kDisplay, keys::kSplashScreen);
  splashShadow = display.Lookup(keys::kDisplay, keys::kSplashScreenShadow);
  const std::wstring preference = display.Lookup(keys::kDisplay, keys::kPreferNativeSplash);
  if (splashImagePath.empty() || !report::WindowsAllowed()) return true;

  std::wstring libraryPath = splash::RuntimeSplashLibraryCandidate(jvmLibraryPath);
  if (!libraryPath.empty() && !win::PathFound(libraryPath.c_str())) libraryPath.clear();
  if (splash::PrefersRuntimeSplash(preference, libraryPath) && StartRuntimeSplash(libraryPath, splashImagePath)) {
    return true;
  }

  splashWindow = std::make_unique<splash::SplashWindow>();
  splashReady.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  DWORD threadId = 0;
  splashThread.reset(CreateThread(nullptr, 0, SplashThreadMain, this, 0, &threadId));
  splashThreadId = splashThread ? threadId : 0;
  // The launch goes on only once the window is shown (or the thread has
  // ended). The first window of the process loads the display driver and its
  // libraries under the loader lock; run side by side with loading jvm.dll
  // and starting the VM's threads, that could leave both the window and the
  // call of main waiting for ever. A window not shown within the limit shows
  // when it can, without owning boxes; the ready event is kept for it (the
  // thread still sets it). Only this thread writes splashWindowHandle.
  if (splashThread && splashReady) {
    const HANDLE waits[] = {splashReady.get(), splashThread.get()};
    if (WaitForMultipleObjects(2, waits, FALSE, kSplashWaitMs) == WAIT_OBJECT_0) {
      splashWindowHandle = splashWindow->window();
    }
  }
  return true;
}

bool SplashState::StartRuntimeSplash(const std::wstring& libraryPath, const std::wstring& imagePath) {
  // Loaded for the life of the process, never freed.
  HMODULE library = LoadLibraryW(libraryPath.c_str());
  if (library == nullptr) return false;
  auto init = reinterpret_cast<SplashInitFn>(GetProcAddress(library, "SplashInit"));
  auto loadFile = reinterpret_cast<SplashLoadFileFn>(GetProcAddress(library, "SplashLoadFile"));
  auto setJarName = reinterpret_cast<SplashSetFileJarNameFn>(GetProcAddress(library, "SplashSetFileJarName"));
  auto close = reinterpret_cast<SplashCloseFn>(GetProcAddress(library, "SplashClose"));
  if (runtimeSplashClose != nullptr) runtimeSplashClose();
  // Kept even when the library cannot start: it is still closed at the end.
  runtimeSplashClose = close;
  if (init == nullptr || loadFile == nullptr || setJarName == nullptr) return false;
  const std::string path = text::ToThreadAnsi(imagePath);
  init();
  loadFile(path.c_str());
  setJarName(path.c_str(), "");
  return true;
}

DWORD WINAPI SplashState::SplashThreadMain(LPVOID parameter) {
  auto* state = static_cast<SplashState*>(parameter);
  const bool shadow = splash::ShadowOn(state->splashShadow);
  HWND window = splash::CreateSplashWindow(*state->splashWindow, state->splashImagePath.c_str(), shadow);
  if (window != nullptr) {
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
  }
  SetEvent(state->splashReady.get());
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (window != nullptr) DestroyWindow(window);
  return 0;
}

void SplashState::CloseSplashWindow() {
  if (!splashWindow) return;
  // Without a thread there is nothing to end.
  if (splashThread) {
    do {
      PostThreadMessageW(splashThreadId, WM_QUIT, 0, 0);
    } while (WaitForSingleObject(splashThread.get(), kQuitRetryMs) == WAIT_TIMEOUT);
  }
  splashThread.reset();
  splashWindow.reset();
  // A destroyed window owns no message box.
  splashWindowHandle = nullptr;
}

void SplashState::CloseRuntimeSplash() {
  if (runtimeSplashClose != nullptr) {
    runtimeSplashClose();
    runtimeSplashClose = nullptr;
  }
}

}  // namespace launcher
