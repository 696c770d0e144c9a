// A clickable link drawn over a dialog's static text control: underlined text
// in link colours, a hand cursor over the text, the target in a tooltip, and
// the target opened through the shell on a click or on Enter or Space.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "common/win_handles.h"
#include "ui/hyperlink_rules.h"

namespace ui {

class HyperlinkControl {
 public:
  HyperlinkControl() = default;
  ~HyperlinkControl();
  HyperlinkControl(const HyperlinkControl&) = delete;
  HyperlinkControl& operator=(const HyperlinkControl&) = delete;

  // Takes over `staticControl` (its font, then its window procedure) and
  // initialises the link. When the procedure cannot be replaced the static
  // stays an ordinary static.
  void Attach(HWND staticControl);
  void Init();
  bool SetTarget(const std::wstring& text);
  bool CalcLinkRect();
  // Opens the target with the shell's "open" verb; visited after success.
  bool Navigate();

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT CallStatic(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateLinkFont();
  void AddTool();
  void ReadColours();
  void Paint(HDC dc);
  const std::wstring* Text() const;
  bool InLinkRect(POINT p) const;
  void Invalidate(bool update);

  HWND window_ = nullptr;
  WNDPROC staticProc_ = DefWindowProcW;
  std::optional<std::wstring> label_;
  std::optional<std::wstring> target_;
  win::Cursor handCursor_;
  HFONT linkFont_ = nullptr;
  HFONT normalFont_ = nullptr;
  win::Font ownedLinkFont_;    // set while linkFont_ is the control's own
  win::Font ownedNormalFont_;  // set while normalFont_ is the control's own
  RECT linkRect_{};
  win::Window tooltip_;
  COLORREF linkColour_ = kDefaultLinkColour;
  COLORREF visitedColour_ = kDefaultVisitedColour;
  bool visited_ = false;
};

}  // namespace ui
