#include "common/placement.h"

namespace placement {

Point CentreWithin(int width, int height, const Rect& over, const Rect& area) {
  Point p;
  p.x = over.left + ((over.right - over.left) - width) / 2;
  p.y = over.top + ((over.bottom - over.top) - height) / 2;
  if (p.x + width > area.right) p.x = area.right - width;
  if (p.y + height > area.bottom) p.y = area.bottom - height;
  if (p.x < area.left) p.x = area.left;
  if (p.y < area.top) p.y = area.top;
  return p;
}

}  // namespace placement
