// The launcher's own splash window: a borderless pop-up in the middle of the
// primary screen that shows one picture. It lives on the splash thread.
#pragma once

#include <windows.h>

#include "common/win_handles.h"

namespace splash {

class SplashPicture;

inline constexpr wchar_t kSplashClassName[] = L"SplashScreenWindow";

class SplashWindow {
 public:
  SplashWindow() = default;
  SplashWindow(const SplashWindow&) = delete;
  SplashWindow& operator=(const SplashWindow&) = delete;

  HWND window() const { return window_; }

  // Messages of the window, from its very first one.
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // The window procedure of the class: finds the object bound to the window.
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  win::Bitmap bitmap;
  // The picture has transparent pixels: the window is layered and shows
  // `bitmap` (premultiplied BGRA) through UpdateLayeredWindow.
  bool layered = false;

 private:
  void Paint();
};

// Replaces the window object's bitmap with one holding the picture.
void RenderToBitmap(SplashPicture& picture, SplashWindow& splashWindow);

// Registers the class, loads the picture, renders it and creates the window;
// the window handle, or none.
HWND CreateSplashWindow(SplashWindow& splashWindow, const wchar_t* imagePath, bool shadow);

}  // namespace splash
