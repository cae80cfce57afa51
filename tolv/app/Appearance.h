#pragma once
// Colours of the main form: the diagonal background gradient and the button
// colours. Colours are 0x00BBGGRR, as the configuration stores them.
#include <cstdint>
#include <optional>
#include <vector>

namespace tolv {

using ColorRef = std::uint32_t;

constexpr ColorRef MakeColorRef(int r, int g, int b) {
  return static_cast<ColorRef>(r) | static_cast<ColorRef>(g) << 8 | static_cast<ColorRef>(b) << 16;
}
constexpr int RedOf(ColorRef c) { return c & 0xFF; }
constexpr int GreenOf(ColorRef c) { return c >> 8 & 0xFF; }
constexpr int BlueOf(ColorRef c) { return c >> 16 & 0xFF; }

// What "Default Colors" of the settings dialog sets.
inline constexpr ColorRef kDefaultColorFrom = MakeColorRef(230, 145, 0);
inline constexpr ColorRef kDefaultColorTo = MakeColorRef(248, 200, 100);

// The background bitmap is this much larger than the client area each way.
inline constexpr int kGradientMargin = 6;
// Larger client sizes are drawn as if they were this size (the pattern
// brush repeats), so a bogus size never allocates without bound.
inline constexpr int kGradientMaxSide = 8192;

// One channel at anti-diagonal s of a bitmap whose width plus height is total.
constexpr int GradientChannel(int from, int to, int s, int total) { return from + (to - from) * s / total; }

struct GradientBitmap {
  int width = 0, height = 0;
  std::vector<ColorRef> pixels;  // rows top-down
  ColorRef at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Gradient from `from` at the top-left to `to` at the bottom-right, for a
// client area of clientW x clientH (negative sizes count as 0).
GradientBitmap MakeGradient(int clientW, int clientH, ColorRef from, ColorRef to);

struct ButtonColours {
  ColorRef normal, pressed, focused;
  ColorRef text;
};

inline constexpr ColorRef kButtonOrange = MakeColorRef(245, 130, 33);
inline constexpr ColorRef kButtonGrey = MakeColorRef(128, 130, 133);
inline constexpr ColorRef kButtonYellow = MakeColorRef(254, 184, 17);
inline constexpr ColorRef kWhite = MakeColorRef(255, 255, 255);
inline constexpr ColorRef kBlack = MakeColorRef(0, 0, 0);

// Colours of an owner-drawn button of the form, by control id; nothing for
// controls that keep the system look.
std::optional<ButtonColours> ButtonColoursFor(int controlId);

}  // namespace tolv
