// Process entry of the launcher.
#include <windows.h>

#include "launcher/launcher.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  launcher::Launcher launcher;
  SetThreadLocale(GetSystemDefaultLCID());
  // Gives the main thread its message queue before any window exists.
  DefWindowProcW(nullptr, 0, 0, 0);

  int result = launcher.Initialise() ? launcher.Run() : -1;
  launcher.Shutdown();
  return result;
}
