#pragma once
// Where every control of the main form goes for a given client size, and the
// texts the arrangement writes. Pure arithmetic: the window layer moves the
// controls to these rectangles.
#include <string>
#include <vector>

namespace tolv {

struct FormRect {
  int x = 0, y = 0, w = 0, h = 0;
  int right() const { return x + w; }
  int bottom() const { return y + h; }
  bool operator==(const FormRect&) const = default;
};

struct ControlPlace {
  int id;
  FormRect rect;
  bool visible;
};

struct FormArrangement {
  std::vector<ControlPlace> controls;
  int videoHeight = 0;      // height of the video area; 0 in compact mode
  bool largeIcons = false;  // transport buttons are tall enough for the large set
  const ControlPlace* find(int id) const;
};

// The video area starts here; the position row follows 3 pixels below it.
inline constexpr int kVideoTop = 33;
// Transport buttons at least this high show the large icon set.
inline constexpr int kLargeIconMinHeight = 30;

// W and H: the view's client size.
FormArrangement ArrangeForm(int W, int H, bool expanded);

// Smallest client height that holds every row without a video area.
int CompactFormHeight();

// Text of the file name label: up to 40 characters whole, longer names as
// their first 15 characters, "..." and their last 15 (a surrogate pair is
// never split; the half pair at a cut is left out).
std::wstring ShortFileName(const std::wstring& name);

}  // namespace tolv
