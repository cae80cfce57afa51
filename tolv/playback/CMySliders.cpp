#include "tolv/playback/CMySliders.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace tolv {

int ClickToPosition(int rangeMax, int channelWidth, int x) {
  // A slider too narrow to have a channel has no point to jump to.
  if (channelWidth <= 0) return 0;
  const float m = static_cast<float>(rangeMax);
  const float share = m * static_cast<float>(channelWidth - x + 4) / static_cast<float>(channelWidth);
  // Presses outside the channel can give shares beyond the int range.
  const float bounded = std::fmin(std::fmax(share, -2.0e9f), 2.0e9f);
  const long long pos = static_cast<long long>(rangeMax) - static_cast<long long>(std::trunc(bounded));
  return static_cast<int>(std::clamp<long long>(pos, INT_MIN, INT_MAX));
}

CMySliders::Press CMySliders::OnLButtonDown(bool onThumb, int x, int channelWidth, int rangeMax) {
  dragging = false;
  if (onThumb) {
    dragging = true;
    return {false, 0};
  }
  return {true, ClickToPosition(rangeMax, channelWidth, x)};
}

}  // namespace tolv
