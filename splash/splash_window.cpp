#include "splash/splash_window.h"

#include <cstring>

#include "splash/splash_picture.h"
#include "splash/splash_rules.h"

namespace splash {

namespace {

// Guards class registration and the list of windows about to be created.
SRWLOCK windowLock = SRWLOCK_INIT;
ATOM classAtom = 0;

// A window object waiting for the first message of its window, created on
// the thread `threadId`. Entries live on the creating thread's stack.
struct PendingBinding {
  DWORD threadId;
  SplashWindow* object;
  PendingBinding* next;
};
PendingBinding* pendingBindings = nullptr;

class ExclusiveLock {
 public:
  ExclusiveLock() { AcquireSRWLockExclusive(&windowLock); }
  ~ExclusiveLock() { ReleaseSRWLockExclusive(&windowLock); }
};

// Takes the binding of the calling thread off the list.
SplashWindow* TakePendingBinding() {
  ExclusiveLock lock;
  const DWORD thread = GetCurrentThreadId();
  for (PendingBinding** link = &pendingBindings; *link != nullptr; link = &(*link)->next) {
    if ((*link)->threadId == thread) {
      SplashWindow* object = (*link)->object;
      *link = (*link)->next;
      return object;
    }
  }
  return nullptr;
}

void RemovePendingBinding(PendingBinding* binding) {
  ExclusiveLock lock;
  for (PendingBinding** link = &pendingBindings; *link != nullptr; link = &(*link)->next) {
    if (*link == binding) {
      *link = binding->next;
      return;
    }
  }
}

ATOM RegisterSplashClass(bool shadow) {
  ExclusiveLock lock;
  if (classAtom != 0) return classAtom;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  // A class registered earlier by this module is reused as it is.
  classAtom = static_cast<ATOM>(GetClassInfoExW(instance, kSplashClassName, &windowClass));
  if (classAtom != 0) return classAtom;
  windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS | CS_SAVEBITS | (shadow ? CS_DROPSHADOW : 0);
  windowClass.lpfnWndProc = SplashWindow::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kSplashClassName;
  classAtom = RegisterClassExW(&windowClass);
  if (classAtom == 0 && shadow) {
    windowClass.style &= ~CS_DROPSHADOW;
    classAtom = RegisterClassExW(&windowClass);
  }
  return classAtom;
}

// Hands the layered window its picture with per-pixel alpha.
void ShowLayeredBitmap(HWND window, HBITMAP bitmap, const WindowPlacement& placement) {
  win::WindowDc screen(nullptr);
  win::MemoryDc memory(CreateCompatibleDC(screen.get()));
  if (!memory) return;
  win::SelectedObject selected(memory.get(), bitmap);
  POINT position{placement.left, placement.top}, origin{0, 0};
  SIZE size{placement.width, placement.height};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UpdateLayeredWindow(window, screen.get(), &position, &size, memory.get(), &origin, 0, &blend, ULW_ALPHA);
}

}  // namespace

LRESULT CALLBACK SplashWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* object = reinterpret_cast<SplashWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (object == nullptr) {
    object = TakePendingBinding();
    if (object == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    object->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
  }
  return object->HandleMessage(message, wParam, lParam);
}

LRESULT SplashWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the picture covers the whole window
    case WM_NCDESTROY:
      // The object may outlive its window: unbind.
      SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      {
        HWND window = window_;
        window_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
      }
    default:
      return DefWindowProcW(window_, message, wParam, lParam);
  }
}

void SplashWindow::Paint() {
  PAINTSTRUCT paint;
  HDC target = BeginPaint(window_, &paint);
  BITMAP info;
  // Without a readable bitmap there is nothing to copy; the paint is still ended.
  if (target != nullptr && bitmap && GetObjectW(bitmap.get(), sizeof info, &info) != 0) {
    win::MemoryDc memory(CreateCompatibleDC(target));
    if (memory) {
      win::SelectedObject selected(memory.get(), bitmap.get());
      BitBlt(target, 0, 0, info.bmWidth, info.bmHeight, memory.get(), 0, 0, SRCCOPY);
    }
  }
  EndPaint(window_, &paint);
}

void RenderToBitmap(SplashPicture& picture, SplashWindow& splashWindow) {
  splashWindow.bitmap.reset();
  if (picture.HasBitmap()) {
    splashWindow.bitmap = picture.TakeBitmap();
    return;
  }
  if (picture.HasPixels()) {
    // Decoded pixels stay 32-bit with their alpha for a layered window.
    void* bits = nullptr;
    splashWindow.bitmap.reset(CreateBgraBitmap(picture.Width(), picture.Height(), &bits));
    if (bits != nullptr) std::memcpy(bits, picture.Pixels(), picture.PixelBytes());
    return;
  }
  win::WindowDc screen(nullptr);
  splashWindow.bitmap.reset(CreateCompatibleBitmap(screen.get(), picture.Width(), picture.Height()));
  win::MemoryDc memory(CreateCompatibleDC(screen.get()));
  if (!memory) return;
  win::SelectedObject selected(memory.get(), splashWindow.bitmap.get());
  picture.Draw(memory.get(), 0, 0, picture.Width(), picture.Height());
}

HWND CreateSplashWindow(SplashWindow& splashWindow, const wchar_t* imagePath, bool shadow) {
  const ATOM atom = RegisterSplashClass(shadow);

  WindowPlacement placement;
  {
    SplashPicture picture;
    picture.LoadFromFile(imagePath);  // a picture that cannot be read leaves a 0 x 0 window
    RenderToBitmap(picture, splashWindow);
    splashWindow.layered = picture.HasPixels() && picture.HasTransparency();
    placement = CentredPlacement(picture.Width(), picture.Height(), GetSystemMetrics(SM_CXSCREEN),
                                 GetSystemMetrics(SM_CYSCREEN));
  }
  if (atom == 0) return nullptr;

  PendingBinding binding{GetCurrentThreadId(), &splashWindow, nullptr};
  {
    ExclusiveLock lock;
    binding.next = pendingBindings;
    pendingBindings = &binding;
  }
  const DWORD extendedStyle = WS_EX_TOOLWINDOW | (splashWindow.layered ? WS_EX_LAYERED : 0);
  HWND window = CreateWindowExW(extendedStyle, MAKEINTATOM(atom), nullptr, WS_POPUP, placement.left, placement.top,
                                placement.width, placement.height, nullptr, nullptr, GetModuleHandleW(nullptr),
                                nullptr);
  RemovePendingBinding(&binding);  // still listed when no message arrived
  if (window != nullptr && splashWindow.layered) ShowLayeredBitmap(window, splashWindow.bitmap.get(), placement);
  return window;
}

}  // namespace splash
