#include "tolv/app/Appearance.h"

#include <algorithm>

#include "tolv/app/resource.h"

namespace tolv {

GradientBitmap MakeGradient(int clientW, int clientH, ColorRef from, ColorRef to) {
  GradientBitmap g;
  g.width = std::clamp(clientW, 0, kGradientMaxSide) + kGradientMargin;
  g.height = std::clamp(clientH, 0, kGradientMaxSide) + kGradientMargin;
  g.pixels.resize(static_cast<std::size_t>(g.width) * g.height);
  const int total = g.width + g.height;
  // Every pixel of one anti-diagonal (x + y = s) has the colour of step s.
  std::vector<ColorRef> step(static_cast<std::size_t>(total));
  for (int s = 0; s < total; ++s)
    step[s] = MakeColorRef(GradientChannel(RedOf(from), RedOf(to), s, total),
                           GradientChannel(GreenOf(from), GreenOf(to), s, total),
                           GradientChannel(BlueOf(from), BlueOf(to), s, total));
  for (int y = 0; y < g.height; ++y)
    for (int x = 0; x < g.width; ++x) g.pixels[static_cast<std::size_t>(y) * g.width + x] = step[x + y];
  return g;
}

std::optional<ButtonColours> ButtonColoursFor(int id) {
  auto same = [](ColorRef bg, ColorRef text) { return ButtonColours{bg, bg, bg, text}; };
  switch (id) {
    case IDC_PLAY:
    case IDC_STOP:
    case IDC_REW:
    case IDC_FF:
      return same(kButtonOrange, kBlack);
    case IDC_OPEN_PLAYLIST:
    case IDC_BOOKMARKS:
    case IDC_ADD_BOOKMARK:
    case IDC_WORDPAD:
    case IDC_STOPWATCH_CAPTION:
      return same(kButtonOrange, kWhite);
    case IDC_SET_TOGGLE_SPEED:
    case IDC_SPEED_50:
    case IDC_SPEED_100:
      return same(kButtonGrey, kWhite);
    case IDC_STOPWATCH_START:
    case IDC_STOPWATCH_RESET:
      return same(kButtonYellow, kBlack);
    default:
      return std::nullopt;
  }
}

}  // namespace tolv
