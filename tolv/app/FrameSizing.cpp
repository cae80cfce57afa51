#include "tolv/app/FrameSizing.h"

#include <algorithm>

namespace tolv {

CompactToggleResult ToggleCompact(bool expanded, int videoHeight, int viewWidth, int viewHeight, int holdsForm) {
  CompactToggleResult r{};
  r.expanded = !expanded;
  r.expandDelta = videoHeight + 40;
  r.frameWidth = viewWidth + 15;
  if (r.expanded)
    r.frameHeight = std::max(viewHeight + r.expandDelta, kExpandedRestoreMinHeight);
  else
    r.frameHeight = std::max({viewHeight - r.expandDelta, kCollapsedMinHeight, holdsForm});
  return r;
}

FrameRect SizingRect(FrameRect r, SizingEdge edge, bool expanded, int edgeWidth) {
  const bool left = edge == SizingEdge::Left || edge == SizingEdge::TopLeft || edge == SizingEdge::BottomLeft;
  const bool top = edge == SizingEdge::Top || edge == SizingEdge::TopLeft || edge == SizingEdge::TopRight;
  const bool bottom = edge == SizingEdge::Bottom || edge == SizingEdge::BottomLeft || edge == SizingEdge::BottomRight;

  if (r.width() - 2 * edgeWidth < 320) {
    if (left)
      r.left -= 20;
    else
      r.right += 20;
  }
  if (expanded && r.height() < kExpandedMinHeight) {
    if (top) r.top = r.bottom - kExpandedMinHeight;
    if (bottom) r.bottom = r.top + kExpandedMinHeight;
  }
  return r;
}

}  // namespace tolv
