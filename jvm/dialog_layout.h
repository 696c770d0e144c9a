// How the controls of a resizable dialog follow the change of its client
// size. Plain C++.
#pragma once

namespace jvm {

struct LayoutRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const LayoutRect&) const = default;
};

enum LayoutRule : unsigned {
  kFixed = 0,
  kMoveRight = 1,
  kMoveDown = 2,
  kGrowWidth = 4,
  kGrowHeight = 8,
};

// The rectangle of a control laid out with `rules` after the client area grew
// by dx, dy (one to one) from the size it had when `initial` was recorded.
LayoutRect ApplyLayoutRule(const LayoutRect& initial, unsigned rules, int dx, int dy);

// Top-left position that centres a `width` x `height` window over `over`,
// pushed back inside `area` where it would stick out.
struct LayoutPoint {
  int x = 0, y = 0;
};
LayoutPoint CentreWithin(int width, int height, const LayoutRect& over, const LayoutRect& area);

}  // namespace jvm
