#include "common/placement_win.h"

namespace placement {

void CentreDialog(HWND dialog) {
  RECT self;
  GetWindowRect(dialog, &self);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
  Rect area = FromRect(monitor.rcWork);
  Rect over = area;
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
    RECT r;
    GetWindowRect(owner, &r);
    over = FromRect(r);
  }
  Point p = CentreWithin(self.right - self.left, self.bottom - self.top, over, area);
  SetWindowPos(dialog, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace placement
