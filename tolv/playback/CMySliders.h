#pragma once
// Slider behaviour shared by every slider of the form: a press on the channel
// jumps the thumb to the pressed point instead of paging, and `dragging` tells
// the repaint handlers whether the user holds the thumb.

namespace tolv {

// New thumb position for a press at x (slider coordinates) on a channel W
// pixels wide, for a range ending at m. Single precision, as the control has
// always computed it: m - trunc(m * (W - x + 4) / W).
int ClickToPosition(int rangeMax, int channelWidth, int x);

class CMySliders {
 public:
  bool dragging = false;

  struct Press {
    bool moveThumb;  // false: the press is on the thumb; the control drags it itself
    int newPos;
  };
  // Mouse press: clears `dragging`, sets it again for a press on the thumb,
  // otherwise says where the thumb goes.
  Press OnLButtonDown(bool onThumb, int x, int channelWidth, int rangeMax);
  void OnLButtonUp() { dragging = false; }
};

}  // namespace tolv
