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

}  // namespace jvm
