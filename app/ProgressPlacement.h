#pragma once
// Where the progress window goes: half the difference of the owner's and
// its own bottom-right corners (screen coordinates), taken as a point in
// the owner's client area.
#include "app/PreviewGeometry.h"

namespace brindle {

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// `ownerClientOrigin` is the screen position of the owner's client area.
Point ProgressWindowPosition(Rect ownerWindow, Rect ownWindow, Point ownerClientOrigin);

}  // namespace brindle
