// Rectangles on the screen and where a window goes among them. Plain C++.
#pragma once

namespace placement {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;
};

struct Point {
  int x = 0, y = 0;
};

// Top-left position that centres a `width` x `height` window over `over`,
// pushed back inside `area` where it would stick out.
Point CentreWithin(int width, int height, const Rect& over, const Rect& area);

}  // namespace placement
