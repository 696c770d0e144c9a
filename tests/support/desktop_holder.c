/* Holds the Wine desktop for a whole test run (see wine-setup.sh). The first
   process that needs the desktop makes Wine start explorer.exe for it and
   hands explorer its standard error; started from a test, explorer would keep
   that test's output pipe open, and CTest waits for the pipe, for as long as
   the desktop lives. This holder, started with no output, takes the desktop
   first and, as its user, keeps it until the wineserver is stopped. Its
   argument names a file it creates once the desktop is there. */
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show) {
  (void)instance;
  (void)previous;
  (void)show;
  GetDesktopWindow();
  HANDLE ready = CreateFileW(arguments, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  Sleep(INFINITE);
  return 0;
}
