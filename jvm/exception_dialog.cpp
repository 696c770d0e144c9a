#include "jvm/exception_dialog.h"

#include <iterator>
#include <utility>

#include "common/placement_win.h"
#include "jvm/dialog_layout.h"
#include "resources/resource_ids.h"

namespace jvm {
namespace {

constexpr int kSizeGripId = 0xE801;
constexpr DWORD kSizeGripStyle = 0x5400001C;  // child, visible, clip-siblings, size box aligned bottom-right

struct ControlLayout {
  int id;
  unsigned rules;
};

// How each control follows the dialog's size.
constexpr ControlLayout kLayout[] = {
    {IDOK, kMoveRight | kMoveDown},
    {IDCANCEL, kMoveRight | kMoveDown},
    {IDC_EXCEPTION_FRAME, kGrowWidth | kGrowHeight},
    {IDC_EXCEPTION_ICON, kFixed},
    {IDC_EXCEPTION_TRACE, kGrowWidth | kGrowHeight},
    {IDC_EXCEPTION_HEADING, kGrowWidth},
    {IDC_EXCEPTION_INSTRUCTION, kGrowWidth | kMoveDown},
    {IDC_EXCEPTION_WARNING, kGrowWidth | kMoveDown},
    {kSizeGripId, kMoveRight | kMoveDown},
};

struct DialogState {
  const std::wstring* text = nullptr;
  SIZE minimumTrackSize{};
  SIZE initialClient{};
  // The controls found, each with its place at the dialog's first size.
  std::pair<ControlLayout, LayoutRect> controls[std::size(kLayout)];
  std::size_t controlCount = 0;
};

LayoutRect ToLayout(const RECT& r) { return placement::FromRect(r); }

RECT ChildRect(HWND dialog, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void SetUpResizing(HWND dialog, DialogState& state) {
  SetWindowLongPtrW(dialog, GWL_STYLE, GetWindowLongPtrW(dialog, GWL_STYLE) | WS_CLIPCHILDREN);
  if ((GetWindowLongPtrW(dialog, GWL_STYLE) & WS_CHILD) == 0) {
    SetWindowLongPtrW(dialog, GWL_EXSTYLE, GetWindowLongPtrW(dialog, GWL_EXSTYLE) | WS_EX_DLGMODALFRAME);
    if (SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0) == 0) SendMessageW(dialog, WM_SETICON, ICON_SMALL, 0);
  }
  RECT client;
  GetClientRect(dialog, &client);
  int gripWidth = GetSystemMetrics(SM_CXVSCROLL), gripHeight = GetSystemMetrics(SM_CYHSCROLL);
  CreateWindowExW(0, L"SCROLLBAR", nullptr, kSizeGripStyle, client.right - gripWidth, client.bottom - gripHeight,
                  gripWidth, gripHeight, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSizeGripId)),
                  GetModuleHandleW(nullptr), nullptr);
  RECT window;
  GetWindowRect(dialog, &window);
  state.minimumTrackSize = {window.right - window.left, window.bottom - window.top};
  state.initialClient = {client.right, client.bottom};
  for (const auto& layout : kLayout) {
    HWND child = GetDlgItem(dialog, layout.id);
    if (child != nullptr) state.controls[state.controlCount++] = {layout, ToLayout(ChildRect(dialog, child))};
  }
}

void LayOut(HWND dialog, const DialogState& state, int width, int height) {
  int dx = width - state.initialClient.cx, dy = height - state.initialClient.cy;
  HDWP batch = BeginDeferWindowPos(static_cast<int>(state.controlCount));
  for (std::size_t i = 0; i < state.controlCount; ++i) {
    const auto& [layout, initial] = state.controls[i];
    LayoutRect r = ApplyLayoutRule(initial, layout.rules, dx, dy);
    HWND child = GetDlgItem(dialog, layout.id);
    if (batch != nullptr && child != nullptr) {
      batch = DeferWindowPos(batch, child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                             SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (batch != nullptr) EndDeferWindowPos(batch);
  InvalidateRect(dialog, nullptr, TRUE);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<DialogState*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      SetDlgItemTextW(dialog, IDC_EXCEPTION_TRACE, state->text->c_str());
      SendDlgItemMessageW(dialog, IDC_EXCEPTION_TRACE, EM_SETREADONLY, TRUE, 0);
      SendDlgItemMessageW(dialog, IDC_EXCEPTION_ICON, STM_SETICON,
                          reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_HAND)), 0);
      placement::CentreDialog(dialog);
      SetUpResizing(dialog, *state);
      return TRUE;
    }
    case WM_SIZE:
      if (state == nullptr || wParam == SIZE_MINIMIZED) return FALSE;
      if (HWND grip = GetDlgItem(dialog, kSizeGripId)) ShowWindow(grip, wParam == SIZE_MAXIMIZED ? SW_HIDE : SW_SHOW);
      LayOut(dialog, *state, LOWORD(lParam), HIWORD(lParam));
      return TRUE;
    case WM_GETMINMAXINFO:
      if (state != nullptr && state->minimumTrackSize.cx > 0) {
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {state->minimumTrackSize.cx,
                                                                 state->minimumTrackSize.cy};
        return TRUE;
      }
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam) == IDOK ? 1 : 2);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

INT_PTR ShowExceptionDialog(HWND owner, const std::wstring& stackTrace) {
  DialogState state;
  state.text = &stackTrace;
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_JAVA_EXCEPTION), owner, DialogProc,
                         reinterpret_cast<LPARAM>(&state));
}

}  // namespace jvm
