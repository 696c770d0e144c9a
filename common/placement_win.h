// Placing the launcher's dialogs on the screen.
#pragma once

#include <windows.h>

#include "common/placement.h"

namespace placement {

inline Rect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// Centres a dialog over its owner; with no owner, or one that is hidden or
// minimised, over the work area. The position stays inside the work area.
void CentreDialog(HWND dialog);

}  // namespace placement
