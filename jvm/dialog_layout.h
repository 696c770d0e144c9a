// How the controls of a resizable dialog follow the change of its client
// size. Plain C++.
#pragma once

#include "common/placement.h"

namespace jvm {

using LayoutRect = placement::Rect;
using LayoutPoint = placement::Point;
using placement::CentreWithin;

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

}  // namespace jvm
