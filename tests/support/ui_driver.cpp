#include "tests/support/ui_driver.h"

#include <vector>

#include "tests/support/png_writer.h"

namespace testsupport {
namespace {

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

// WM_GETTEXT works across processes for every control kind (GetWindowTextW
// does not for another process's edit controls).
std::wstring TextOf(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return {};
  std::vector<wchar_t> buffer(length + 2, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                      2000, &copied);
  return std::wstring(buffer.data(), copied);
}

}  // namespace

const ControlInfo* WindowInfo::Control(int id) const {
  for (const auto& c : controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

std::wstring WindowInfo::StaticText() const {
  std::wstring out;
  for (const auto& c : controls) {
    if (_wcsicmp(c.className.c_str(), L"Static") != 0 || c.text.empty()) continue;
    if (!out.empty()) out += L'\n';
    out += c.text;
  }
  return out;
}

WindowInfo ReadWindow(HWND hwnd) {
  WindowInfo info;
  info.hwnd = hwnd;
  GetWindowThreadProcessId(hwnd, &info.processId);
  info.caption = TextOf(hwnd);
  info.className = ClassOf(hwnd);
  info.owner = GetWindow(hwnd, GW_OWNER);
  info.style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  info.exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  GetWindowRect(hwnd, &info.rect);
  for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    ControlInfo c;
    c.hwnd = child;
    c.id = GetDlgCtrlID(child);
    c.className = ClassOf(child);
    c.text = TextOf(child);
    GetWindowRect(child, &c.rect);
    c.style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
    c.visible = IsWindowVisible(child) != FALSE;
    info.controls.push_back(c);
  }
  return info;
}

std::vector<WindowInfo> ProcessWindows(DWORD processId) {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search{processId, {}};
  EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == s->pid && IsWindowVisible(hwnd)) s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  std::vector<WindowInfo> windows;
  for (HWND hwnd : search.found) windows.push_back(ReadWindow(hwnd));
  return windows;
}

std::vector<HWND> ProcessWindowsOfClass(DWORD processId, const std::wstring& className) {
  std::vector<HWND> found;
  for (HWND hwnd = FindWindowExW(nullptr, nullptr, className.c_str(), nullptr); hwnd != nullptr;
       hwnd = FindWindowExW(nullptr, hwnd, className.c_str(), nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == processId) found.push_back(hwnd);
  }
  return found;
}

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  COLORREF colour = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return colour;
}

std::optional<WindowInfo> WaitForWindow(DWORD processId, DWORD timeoutMs,
                                        const std::function<bool(const WindowInfo&)>& accept, HANDLE processHandle) {
  ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    for (auto& w : ProcessWindows(processId)) {
      if (!accept || accept(w)) return w;
    }
    if (processHandle != nullptr && WaitForSingleObject(processHandle, 0) == WAIT_OBJECT_0) return std::nullopt;
    if (GetTickCount64() >= deadline) return std::nullopt;
    Sleep(50);
  }
}

bool PressButton(HWND window, int id) {
  HWND button = GetDlgItem(window, id);
  if (button == nullptr) return false;
  // Posted, not sent: the click ends a modal loop in the other process.
  PostMessageW(button, BM_CLICK, 0, 0);
  return true;
}

void SendKey(HWND window, WPARAM virtualKey) {
  PostMessageW(window, WM_KEYDOWN, virtualKey, 1);
  PostMessageW(window, WM_KEYUP, virtualKey, 0xC0000001);
}

bool SaveScreenshot(const std::wstring& pngPath) {
  int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
    GdiFlush();
    ok = WritePng(pngPath, static_cast<const unsigned char*>(bits), width, height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace testsupport
