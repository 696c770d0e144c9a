#include "jvm/dialog_layout.h"

namespace jvm {

LayoutRect ApplyLayoutRule(const LayoutRect& initial, unsigned rules, int dx, int dy) {
  LayoutRect r = initial;
  if (rules & kMoveRight) {
    r.left += dx;
    r.right += dx;
  }
  if (rules & kMoveDown) {
    r.top += dy;
    r.bottom += dy;
  }
  if (rules & kGrowWidth) r.right += dx;
  if (rules & kGrowHeight) r.bottom += dy;
  return r;
}

LayoutPoint CentreWithin(int width, int height, const LayoutRect& over, const LayoutRect& area) {
  LayoutPoint p;
  p.x = over.left + ((over.right - over.left) - width) / 2;
  p.y = over.top + ((over.bottom - over.top) - height) / 2;
  if (p.x + width > area.right) p.x = area.right - width;
  if (p.y + height > area.bottom) p.y = area.bottom - height;
  if (p.x < area.left) p.x = area.left;
  if (p.y < area.top) p.y = area.top;
  return p;
}

}  // namespace jvm
