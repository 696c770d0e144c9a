// The baseline of the start-up benchmark: a bare windowed program whose entry
// point only sets the event named by VORN_DOUBLE_STARTED_EVENT (the variable
// the JVM double answers in JNI_CreateJavaVM) and returns, so that both
// programs are started and timed alike.
#include <windows.h>

#include "common/win_handles.h"

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
