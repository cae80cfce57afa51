#include "tolv/app/FormArrangement.h"

#include <algorithm>

#include "tolv/app/resource.h"

namespace tolv {
namespace {

constexpr int kTransportHeightExpanded = 30;
constexpr int kTransportHeightCompact = 20;
// The position row never starts higher than this: right below the name row.
constexpr int kRowsTopMin = 44;

// Height of everything from the top of the position row to the bottom edge,
// for transport buttons t pixels high.
constexpr int rowsHeight(int t) { return 130 + t; }

}  // namespace

const ControlPlace* FormArrangement::find(int id) const {
  for (const auto& c : controls)
    if (c.id == id) return &c;
  return nullptr;
}

int CompactFormHeight() { return kRowsTopMin + rowsHeight(kTransportHeightCompact); }

FormArrangement ArrangeForm(int W, int H, bool expanded) {
  FormArrangement a;
  auto put = [&a](int id, int x, int y, int w, int h, bool visible = true) {
    a.controls.push_back({id, {x, y, std::max(w, 0), std::max(h, 0)}, visible});
  };

  const int t = expanded ? kTransportHeightExpanded : kTransportHeightCompact;
  // The rows below the video hang from the bottom edge; when the view is too
  // short for a video area they stay right below the name row.
  const int p = expanded ? std::max(kRowsTopMin, H - rowsHeight(t)) : kRowsTopMin;
  a.videoHeight = expanded ? p - 3 - kVideoTop : 0;
  a.largeIcons = t >= kLargeIconMinHeight;

  put(IDC_OPEN_PLAYLIST, 2, 5, 100, 18);
  put(IDC_BOOKMARKS, 105, 5, 70, 18);
  put(IDC_ADD_BOOKMARK, 180, 5, 90, 18);
  put(IDC_FILE_NAME, 2, 26, W - 53, 16);
  put(IDC_DURATION, W - 53, 26, 53, 16);
  // The player control and the placeholder picture share the video area.
  for (int id : {IDC_MEDIA_PLAYER, IDC_VIDEO_PICTURE}) {
    if (a.videoHeight > 0)
      put(id, 1, kVideoTop, W - 3, a.videoHeight);
    else
      put(id, 0, 0, 0, 0, false);
  }

  put(IDC_POSITION_LABEL, 1, p + 2, 45, 17);
  put(IDC_GOTO_TIME, 65, p + 1, 18, 18);
  put(IDC_POSITION_SLIDER, 85, p, W - 120, 21);
  put(IDC_COMPACT_TOGGLE, W - 40, p + 2, 40, 17);
  put(IDC_SEPARATOR_TOP, 2, p + 22, W - 4, 2);

  const int q = (W - 7) / 4;
  const int ty = p + 26;
  put(IDC_PLAY, 2, ty, q, t);
  put(IDC_STOP, q + 3, ty, q, t);
  put(IDC_REW, 2 * q + 4, ty, q, t);
  put(IDC_FF, 3 * q + 5, ty, q, t);

  const int s1 = ty + t + 2;
  put(IDC_VOLUME_ICON, 4, s1 + 2, 16, 16);
  put(IDC_VOLUME_SLIDER, 25, s1, W / 4 + 23, 20);
  put(IDC_SPEED_ICON, W / 4 + 53, s1 + 2, 16, 16);
  put(IDC_SPEED_SLIDER, W / 4 + 73, s1, W / 4 + 25, 20);
  put(IDC_SPEED_LABEL, W / 2 + 97, s1 + 3, W - (W / 2 + 97) - 2, 16);

  const int s2 = s1 + 20;
  put(IDC_TOGGLE_SPEED_EDIT, W / 2 + 35, s2, 29, 16);
  put(IDC_SET_TOGGLE_SPEED, W / 2 + 65, s2, 29, 16);
  put(IDC_SPEED_50, 0, 0, 0, 0, false);
  put(IDC_SPEED_100, 0, 0, 0, 0, false);

  const int s3 = s2 + 17;
  put(IDC_BALANCE_ICON, 4, s3 + 2, 16, 16);
  put(IDC_BALANCE_SLIDER, 25, s3, W / 4 + 23, 20);
  const int links[] = {IDC_LINK_SEARCH, IDC_LINK_DICTIONARY, IDC_LINK_THESAURUS, IDC_LINK_ENCYCLOPEDIA};
  for (int i = 0; i < 4; ++i) put(links[i], W / 4 + 79 + 20 * i, s3 + 2, 16, 16);
  put(IDC_LINK_SOCIAL, W / 4 + 159, s3 + 2, 33, 16);
  put(IDC_SEPARATOR_BOTTOM, 2, s3 + 21, W - 4, 2);

  const int r1 = s3 + 25;
  put(IDC_WORDPAD, 2, r1, 200, 18);
  put(IDC_WORDPAD_HELP, W - 47, r1, 45, 18);

  const int r2 = r1 + 20;
  put(IDC_STOPWATCH_CAPTION, 2, r2, 80, 18);
  put(IDC_STOPWATCH_START, 85, r2, 40, 18);
  put(IDC_STOPWATCH_LABEL, 128, r2 + 2, 55, 16);
  put(IDC_STOPWATCH_RESET, 186, r2, 40, 18);
  put(IDC_LINK_HOME, W - 20, r2, 18, 18);
  return a;
}

std::wstring ShortFileName(const std::wstring& name) {
  constexpr std::size_t kWhole = 40, kEnd = 15;
  if (name.size() <= kWhole) return name;
  auto high = [](wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; };
  auto low = [](wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; };
  std::size_t headLen = kEnd;
  if (high(name[headLen - 1])) --headLen;
  std::size_t tailAt = name.size() - kEnd;
  if (low(name[tailAt])) ++tailAt;
  return name.substr(0, headLen) + L"..." + name.substr(tailAt);
}

}  // namespace tolv
