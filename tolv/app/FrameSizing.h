#pragma once
// Size rules of the main frame: the compact toggle and the limits applied
// while the user drags a border.

namespace tolv {

inline constexpr int kMinTrackWidth = 280;
inline constexpr int kMinTrackHeight = 320;
// An expanded window is never dragged lower than this.
inline constexpr int kExpandedMinHeight = 345;
inline constexpr int kCollapsedMinHeight = 260;
inline constexpr int kExpandedRestoreMinHeight = 330;

struct CompactToggleResult {
  bool expanded;
  int expandDelta;
  int frameWidth;
  int frameHeight;
};

// The compact toggle: flips `expanded`, and sizes the frame from the view's
// client size and the video height of the last arrangement. holdsForm is the
// frame height that still holds the compact form; a collapsed frame is never
// made smaller than that (nor than 260).
CompactToggleResult ToggleCompact(bool expanded, int videoHeight, int viewWidth, int viewHeight, int holdsForm = 0);

enum class SizingEdge { Left, Right, Top, Bottom, TopLeft, TopRight, BottomLeft, BottomRight };

struct FrameRect {
  int left, top, right, bottom;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const FrameRect&) const = default;
};

// The rectangle proposed while a border is dragged, corrected: a narrow
// window grows by 20 pixels on the dragged side, and an expanded window is
// held at 345 pixels by the edge being dragged.
FrameRect SizingRect(FrameRect proposed, SizingEdge edge, bool expanded, int edgeWidth);

}  // namespace tolv
