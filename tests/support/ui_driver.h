// Finds the windows a process shows (message boxes, dialogs), reads them and
// presses their buttons; takes screenshots of the display. Every wait has a
// time limit.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

struct ControlInfo {
  HWND hwnd = nullptr;
  int id = 0;
  std::wstring className;
  std::wstring text;  // read with WM_GETTEXT, so edit controls of other processes work too
  RECT rect{};        // in screen coordinates
  DWORD style = 0;
  bool visible = false;
};

struct WindowInfo {
  HWND hwnd = nullptr;
  DWORD processId = 0;
  std::wstring caption;
  std::wstring className;  // "#32770" for message boxes and dialogs
  HWND owner = nullptr;
  DWORD style = 0, exStyle = 0;
  RECT rect{};
  std::vector<ControlInfo> controls;  // direct children, in z-order

  const ControlInfo* Control(int id) const;
  // Texts of the static text controls joined with "\n" (a message box's message).
  std::wstring StaticText() const;
};

WindowInfo ReadWindow(HWND hwnd);

// Visible top-level windows of the process, read.
std::vector<WindowInfo> ProcessWindows(DWORD processId);

// Top-level windows of the process with the class `className`, shown or not.
std::vector<HWND> ProcessWindowsOfClass(DWORD processId, const std::wstring& className);

// The colour of a pixel of the screen.
COLORREF ScreenPixel(int x, int y);

// Waits until the process shows a visible top-level window that `accept`
// takes (any when null); none when the time runs out or the process ends.
std::optional<WindowInfo> WaitForWindow(DWORD processId, DWORD timeoutMs,
                                        const std::function<bool(const WindowInfo&)>& accept = nullptr,
                                        HANDLE processHandle = nullptr);

// Clicks the button with `id` (BM_CLICK); false when there is none.
bool PressButton(HWND window, int id);
// Sends a key press (down and up) to a window.
void SendKey(HWND window, WPARAM virtualKey);

// Saves the whole screen as a PNG file.
bool SaveScreenshot(const std::wstring& pngPath);

// How many pixels of the screen inside `screenRect` have exactly `colour`.
int CountScreenPixels(const RECT& screenRect, COLORREF colour);

// Drives the shell's folder browser that the process shows (a "#32770" dialog
// with the tree view 14145): selects `path` and presses OK. False when no
// browser appeared within the time or its tree never showed the folder;
// `shown` then tells what the tree showed last.
bool ChooseFolderInBrowser(HANDLE process, DWORD processId, const std::wstring& path, DWORD timeoutMs,
                           std::wstring* shown = nullptr);

}  // namespace testsupport
