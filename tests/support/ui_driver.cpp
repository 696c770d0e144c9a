#include "tests/support/ui_driver.h"

#include <commctrl.h>
#include <shlobj.h>

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
// does not for another process's edit controls). The wait is generous and
// does not give up on a window the system counts as hung (its thread has read
// no message for 5 s, as a later start retrying its hand-over or a slow VM
// creation has not): with a 2-second wait that gave up on hung windows, a
// box's text read back empty now and then under load.
std::wstring TextOf(HWND hwnd) {
  constexpr UINT kAnswerWaitMs = 30000;
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kAnswerWaitMs, &length)) return {};
  std::vector<wchar_t> buffer(length + 2, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL,
                      kAnswerWaitMs, &copied);
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

namespace {

// The screen inside `r` as top-down rows of 32-bit BGRA pixels.
std::vector<unsigned char> GrabScreen(const RECT& r) {
  int width = r.right - r.left, height = r.bottom - r.top;
  std::vector<unsigned char> pixels;
  if (width <= 0 || height <= 0) return pixels;
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
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const auto* begin = static_cast<const unsigned char*>(bits);
    pixels.assign(begin, begin + static_cast<size_t>(width) * height * 4);
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

}  // namespace

bool SaveScreenshot(const std::wstring& pngPath) {
  int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  RECT r{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  std::vector<unsigned char> pixels = GrabScreen(r);
  return !pixels.empty() && WritePng(pngPath, pixels.data(), r.right - r.left, r.bottom - r.top);
}

int CountScreenPixels(const RECT& screenRect, COLORREF colour) {
  std::vector<unsigned char> pixels = GrabScreen(screenRect);
  int count = 0;
  for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
    if (RGB(pixels[i + 2], pixels[i + 1], pixels[i]) == colour) ++count;
  }
  return count;
}

namespace {

// Memory in another process, for messages whose parameters point at data.
class RemoteBlock {
 public:
  RemoteBlock(HANDLE process, size_t bytes)
      : process_(process), at_(VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
  ~RemoteBlock() {
    if (at_ != nullptr) VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;
  char* at() const { return static_cast<char*>(at_); }
  bool Write(size_t offset, const void* data, size_t bytes) const {
    return at_ != nullptr && WriteProcessMemory(process_, at() + offset, data, bytes, nullptr);
  }
  bool Read(size_t offset, void* data, size_t bytes) const {
    return at_ != nullptr && ReadProcessMemory(process_, at() + offset, data, bytes, nullptr);
  }

 private:
  HANDLE process_;
  void* at_;
};

// The name the browser's tree shows for its selected folder.
std::wstring SelectedFolderName(HANDLE process, HWND tree) {
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (item == nullptr) return {};
  constexpr size_t kChars = MAX_PATH;
  RemoteBlock block(process, sizeof(TVITEMW) + kChars * sizeof(wchar_t));
  TVITEMW query{};
  query.mask = TVIF_TEXT;
  query.hItem = item;
  query.pszText = reinterpret_cast<wchar_t*>(block.at() + sizeof(TVITEMW));
  query.cchTextMax = kChars;
  wchar_t name[kChars] = {};
  if (!block.Write(0, &query, sizeof(query)) || !block.Write(sizeof(TVITEMW), name, sizeof(name))) return {};
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block.at()));
  if (!block.Read(sizeof(TVITEMW), name, sizeof(name) - sizeof(wchar_t))) return {};
  return name;
}

}  // namespace

bool ChooseFolderInBrowser(HANDLE process, DWORD processId, const std::wstring& path, DWORD timeoutMs,
                           std::wstring* shown) {
  constexpr int kTreeId = 14145;
  std::wstring ignored;
  if (shown == nullptr) shown = &ignored;
  *shown = L"(no browser)";
  auto browser = WaitForWindow(
      processId, timeoutMs, [](const WindowInfo& w) { return GetDlgItem(w.hwnd, kTreeId) != nullptr; }, process);
  if (!browser) return false;
  HWND tree = GetDlgItem(browser->hwnd, kTreeId);
  // BFFM_SETSELECTIONW takes the path in the browser's own process. A browser
  // still filling its tree may not take it: select until the tree shows the
  // folder, then press OK.
  RemoteBlock text(process, (path.size() + 1) * sizeof(wchar_t));
  if (!text.Write(0, path.c_str(), (path.size() + 1) * sizeof(wchar_t))) return false;
  const std::wstring leaf = path.substr(path.find_last_of(L'\\') + 1);
  ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    SendMessageW(browser->hwnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(text.at()));
    *shown = SelectedFolderName(process, tree);
    if (_wcsicmp(shown->c_str(), leaf.c_str()) == 0) break;
    if (GetTickCount64() >= deadline || !IsWindow(browser->hwnd)) return false;
    Sleep(100);
  }
  PressButton(browser->hwnd, IDOK);
  return true;
}

}  // namespace testsupport
