// The baseline of the start-up benchmark: a bare windowed program whose entry
// point only sets the event named by VORN_DOUBLE_STARTED_EVENT (the variable
// the JVM double answers in JNI_CreateJavaVM) and returns, so that both
// programs are started and timed alike.
#include <windows.h>

#include "common/win_handles.h"

#ifdef BARE_SHOWS_WINDOW
// Shows a plain pop-up window, then waits until the event named by
// VORN_DOUBLE_WAIT_EVENT lets it end (as the double's test/Wait main does).
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = L"VornBenchWindow";
  if (RegisterClassExW(&windowClass) == 0) return 4;
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"VornBenchWindow", nullptr, WS_POPUP, 311, 233, 401, 301, nullptr,
                                nullptr, instance, nullptr);
  if (window == nullptr) return 5;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  wchar_t name[MAX_PATH];
  DWORD length = GetEnvironmentVariableW(L"VORN_DOUBLE_WAIT_EVENT", name, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  win::Handle event(OpenEventW(SYNCHRONIZE, FALSE, name));
  if (!event) return 2;
  HANDLE waits[] = {event.get()};
  while (MsgWaitForMultipleObjects(1, waits, FALSE, 60000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  DestroyWindow(window);
  return 0;
}
#else
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
#ifdef BARE_WINDOWED
  // What any windowed program does first (the launcher too): user32 is loaded
  // and the thread gets its message queue.
  DefWindowProcW(nullptr, 0, 0, 0);
#endif
  wchar_t name[MAX_PATH];
  DWORD length = GetEnvironmentVariableW(L"VORN_DOUBLE_STARTED_EVENT", name, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  win::Handle event(OpenEventW(EVENT_MODIFY_STATE, FALSE, name));
  if (!event) return 2;
  return SetEvent(event.get()) ? 0 : 3;
}
#endif
