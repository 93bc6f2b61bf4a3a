#include "app/ProgressPlacement.h"

namespace brindle {

Point ProgressWindowPosition(Rect ownerWindow, Rect ownWindow, Point ownerClientOrigin) {
  const int x = (ownerWindow.right - ownWindow.right) / 2;
  const int y = (ownerWindow.bottom - ownWindow.bottom) / 2;
  return {ownerClientOrigin.x + x, ownerClientOrigin.y + y};
}

}  // namespace brindle
