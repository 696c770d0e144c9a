#include "ui/hyperlink_control.h"

#include <commctrl.h>

#include <cstddef>
#include <utility>

#include "common/placement_win.h"
#include "common/shell_api.h"
#include "common/text.h"

namespace ui {
namespace {

// The tool description as the control hands it over: without the reserved
// pointer at its end.
constexpr UINT kToolInfoSize = offsetof(TTTOOLINFOW, lpReserved);
static_assert(kToolInfoSize == 64);

constexpr UINT kLastMouseMessage = 0x020D;

POINT PointOf(LPARAM lParam) {
  return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

RECT ToRect(const placement::Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

UINT AlignmentFlag(HWND window) {
  switch (AlignmentFromStyle(static_cast<std::uint32_t>(GetWindowLongPtrW(window, GWL_STYLE)))) {
    case LinkAlignment::Centre:
      return DT_CENTER;
    case LinkAlignment::Right:
      return DT_RIGHT;
    case LinkAlignment::Left:
      break;
  }
  return DT_LEFT;
}

}  // namespace

HyperlinkControl::~HyperlinkControl() {
  // A control that goes before its window gives the window back to the static.
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(staticProc_));
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  }
}

void HyperlinkControl::Attach(HWND staticControl) {
  if (normalFont_ == nullptr) normalFont_ = reinterpret_cast<HFONT>(SendMessageW(staticControl, WM_GETFONT, 0, 0));
  SetWindowLongPtrW(staticControl, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetLastError(ERROR_SUCCESS);
  LONG_PTR previous = SetWindowLongPtrW(staticControl, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc));
  if (previous == 0 && GetLastError() != ERROR_SUCCESS) {
    SetWindowLongPtrW(staticControl, GWLP_USERDATA, 0);
    return;
  }
  staticProc_ = reinterpret_cast<WNDPROC>(previous);
  window_ = staticControl;
  Init();
}

void HyperlinkControl::Init() {
  wchar_t className[8] = {};
  GetClassNameW(window_, className, 8);
  if (text::EqualsIgnoreCase(className, L"static")) {
    // Without SS_NOTIFY a static sees no mouse messages.
    LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
    if ((style & SS_NOTIFY) == 0) SetWindowLongPtrW(window_, GWL_STYLE, style | SS_NOTIFY);
  }
  const CursorPlanes& planes = HandCursorPlanes();
  handCursor_.reset(CreateCursor(GetModuleHandleW(nullptr), planes.hotX, planes.hotY, 32, 32, planes.andPlane.data(),
                                 planes.xorPlane.data()));
  if (normalFont_ == nullptr) {
    LOGFONTW description{};
    if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(description), &description, 0)) {
      ownedNormalFont_.reset(CreateFontIndirectW(&description));
      normalFont_ = ownedNormalFont_.get();
    }
  }
  if (linkFont_ == nullptr) CreateLinkFont();

  if (auto initCommonControls = win::ShellApi::Get().initCommonControls) {
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES};
    initCommonControls(&classes);
  }
  tooltip_.reset(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, window_, nullptr, GetModuleHandleW(nullptr), nullptr));

  if (!label_) {
    int length = GetWindowTextLengthW(window_);
    if (length > 0) {
      std::wstring text(static_cast<size_t>(length) + 1, L'\0');
      text.resize(static_cast<size_t>(GetWindowTextW(window_, text.data(), length + 1)));
      if (!text.empty()) label_ = std::move(text);
    }
  }
  CalcLinkRect();
  if (target_) {
    SendMessageW(tooltip_.get(), TTM_ACTIVATE, TRUE, 0);
    AddTool();
  } else if (label_) {
    SetTarget(*label_);
  }
  ReadColours();
}

bool HyperlinkControl::SetTarget(const std::wstring& text) {
  target_ = text;
  if (!label_) CalcLinkRect();
  if (IsWindow(tooltip_.get())) {
    SendMessageW(tooltip_.get(), TTM_ACTIVATE, TRUE, 0);
    AddTool();
  }
  return true;
}

void HyperlinkControl::AddTool() {
  TTTOOLINFOW tool{};
  tool.cbSize = kToolInfoSize;
  tool.hwnd = window_;
  tool.uId = 1;
  tool.rect = linkRect_;
  tool.hinst = GetModuleHandleW(nullptr);
  tool.lpszText = target_->data();
  SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void HyperlinkControl::CreateLinkFont() {
  ownedLinkFont_.reset();
  linkFont_ = nullptr;
  LOGFONTW description{};
  GetObjectW(normalFont_ != nullptr ? static_cast<HGDIOBJ>(normalFont_) : GetStockObject(SYSTEM_FONT),
             sizeof(description), &description);
  description.lfUnderline = TRUE;
  ownedLinkFont_.reset(CreateFontIndirectW(&description));
  linkFont_ = ownedLinkFont_.get();
}

void HyperlinkControl::ReadColours() {
  // Read access is all the launcher needs: it never writes the key.
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Settings", 0, KEY_READ, &raw) !=
      ERROR_SUCCESS) {
    return;
  }
  win::RegistryKey key(raw);
  for (const auto& [name, colour] :
       {std::pair{L"Anchor Color", &linkColour_}, std::pair{L"Anchor Color Visited", &visitedColour_}}) {
    unsigned char buffer[kColourValueBufferBytes] = {};
    DWORD type = 0, size = sizeof(buffer);
    LONG status = RegQueryValueExW(key.get(), name, nullptr, &type, buffer, &size);
    auto value = ColourValueText(status == ERROR_SUCCESS, type, buffer, size);
    std::int32_t parsed = value ? ParseColour(*value) : kNoColour;
    if (parsed != kNoColour) *colour = static_cast<COLORREF>(parsed);
  }
}

const std::wstring* HyperlinkControl::Text() const {
  if (label_) return &*label_;
  if (target_) return &*target_;
  return nullptr;
}

bool HyperlinkControl::CalcLinkRect() {
  const std::wstring* text = Text();
  if (window_ == nullptr || text == nullptr) return false;
  RECT client;
  GetClientRect(window_, &client);
  RECT measured = client;
  {
    win::WindowDc dc(window_);
    win::SelectedObject font(dc.get(), linkFont_);
    DrawTextW(dc.get(), text->c_str(), -1, &measured, DT_WORDBREAK | DT_CALCRECT | AlignmentFlag(window_));
  }
  linkRect_ = ToRect(PlaceLinkRect(placement::FromRect(client), placement::FromRect(measured),
                                   AlignmentFromStyle(static_cast<std::uint32_t>(GetWindowLongPtrW(window_, GWL_STYLE)))));
  return true;
}

bool HyperlinkControl::Navigate() {
  auto shellExecute = win::ShellApi::Get().shellExecute;
  if (!target_ || shellExecute == nullptr) return false;
  auto result = reinterpret_cast<INT_PTR>(shellExecute(nullptr, L"open", target_->c_str(), nullptr, nullptr,
                                                       SW_SHOWNORMAL));
  if (result <= 32) return false;
  visited_ = true;
  Invalidate(false);
  return true;
}

bool HyperlinkControl::InLinkRect(POINT p) const { return PtInRect(&linkRect_, p) != FALSE; }

void HyperlinkControl::Invalidate(bool update) {
  InvalidateRect(window_, nullptr, TRUE);
  if (update) UpdateWindow(window_);
}

void HyperlinkControl::Paint(HDC dc) {
  RECT client;
  GetClientRect(window_, &client);
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(GetParent(window_), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window_)));
  if (brush != nullptr) FillRect(dc, &client, brush);
  const std::wstring* text = Text();
  if (text == nullptr) return;
  SetBkMode(dc, TRANSPARENT);
  COLORREF colour = !IsWindowEnabled(window_) ? GetSysColor(COLOR_GRAYTEXT) : visited_ ? visitedColour_ : linkColour_;
  COLORREF previousColour = SetTextColor(dc, colour);
  {
    win::SelectedObject font(dc, linkFont_ != nullptr ? linkFont_ : normalFont_);
    RECT r = linkRect_;
    DrawTextW(dc, text->c_str(), -1, &r, DT_WORDBREAK | AlignmentFlag(window_));
    if (GetFocus() == window_) DrawFocusRect(dc, &linkRect_);
  }
  SetTextColor(dc, previousColour);
}

LRESULT HyperlinkControl::CallStatic(UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(staticProc_, window_, message, wParam, lParam);
}

LRESULT CALLBACK HyperlinkControl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<HyperlinkControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->window_ != window) return DefWindowProcW(window, message, wParam, lParam);
  if (message != WM_NCDESTROY) return self->HandleMessage(message, wParam, lParam);
  // The window's last message: the static gets its own procedure back.
  WNDPROC staticProc = self->staticProc_;
  SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(staticProc));
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  self->window_ = nullptr;
  return CallWindowProcW(staticProc, window, message, wParam, lParam);
}

LRESULT HyperlinkControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_MOUSEFIRST && message <= kLastMouseMessage && IsWindow(tooltip_.get())) {
    MSG relayed{window_, message, wParam, lParam, 0, {0, 0}};
    SendMessageW(tooltip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
  switch (message) {
    case WM_MOUSEMOVE:
      if (target_ && InLinkRect(PointOf(lParam))) {
        SetCursor(handCursor_.get());
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
      if (InLinkRect(PointOf(lParam))) {
        SetFocus(window_);
        SetCapture(window_);
      }
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == window_) {
        ReleaseCapture();
        if (InLinkRect(PointOf(lParam))) Navigate();
      }
      return 0;
    case WM_SETCURSOR: {
      POINT p{};
      GetCursorPos(&p);
      ScreenToClient(window_, &p);
      if (target_ && InLinkRect(p)) return TRUE;
      break;
    }
    case WM_CHAR:
      if (wParam == 13 || wParam == 32) Navigate();
      return 0;
    case WM_GETDLGCODE: {
      // The dialog would take Enter for its default button, and the key would
      // never reach the link as a character.
      const auto* key = reinterpret_cast<const MSG*>(lParam);
      if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) {
        return DLGC_WANTCHARS | DLGC_WANTMESSAGE;
      }
      return DLGC_WANTCHARS;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate(false);
      return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      if (wParam != 0) {
        Paint(reinterpret_cast<HDC>(wParam));
      } else {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window_, &ps);
        Paint(dc);
        EndPaint(window_, &ps);
      }
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      CalcLinkRect();
      Invalidate(false);
      return 0;
    case WM_SETFONT:
      ownedNormalFont_.reset();
      normalFont_ = reinterpret_cast<HFONT>(wParam);
      if (ownedLinkFont_) CreateLinkFont();
      CalcLinkRect();
      if (LOWORD(lParam) != 0) Invalidate(true);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(normalFont_);
    case WM_ENABLE:
      Invalidate(true);
      return 0;
    case WM_UPDATEUISTATE:
      return 0;
    case WM_DESTROY:
      tooltip_.reset();
      ownedLinkFont_.reset();
      ownedNormalFont_.reset();
      linkFont_ = nullptr;
      normalFont_ = nullptr;
      break;
    default:
      break;
  }
  return CallStatic(message, wParam, lParam);
}

}  // namespace ui
