#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "tolv/app/Appearance.h"
#include "tolv/app/FormArrangement.h"
#include "tolv/app/FrameSizing.h"
#include "tolv/app/resource.h"

namespace tolv {
namespace {

struct Placed {
  int id;
  FormRect rect;
};

// A 305 x 420 view, expanded: the fixed numbers of the form worked out by hand.
TEST(FormArrangementTest, PlacesTheControlsWithTheirNumbers) {
  const FormArrangement a = ArrangeForm(305, 420, true);
  const int p = a.find(IDC_POSITION_SLIDER)->rect.y;  // position row
  const Placed expected[] = {
      {IDC_OPEN_PLAYLIST, {2, 5, 100, 18}},
      {IDC_BOOKMARKS, {105, 5, 70, 18}},
      {IDC_ADD_BOOKMARK, {180, 5, 90, 18}},
      {IDC_FILE_NAME, {2, 26, 252, 16}},
      {IDC_DURATION, {252, 26, 53, 16}},
      {IDC_VIDEO_PICTURE, {1, 33, 302, p - 3 - 33}},
      {IDC_MEDIA_PLAYER, {1, 33, 302, p - 3 - 33}},
      {IDC_POSITION_SLIDER, {85, p, 185, 21}},
      {IDC_PLAY, {2, p + 26, 74, 30}},
      {IDC_STOP, {77, p + 26, 74, 30}},
      {IDC_REW, {152, p + 26, 74, 30}},
      {IDC_FF, {227, p + 26, 74, 30}},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.id);
    ASSERT_NE(a.find(e.id), nullptr);
    EXPECT_EQ(a.find(e.id)->rect, e.rect);
  }
  struct Column {
    int id, x, w;
  };
  const Column columns[] = {
      {IDC_POSITION_LABEL, 1, 45},     {IDC_GOTO_TIME, 65, 18},          {IDC_COMPACT_TOGGLE, 265, 40},
      {IDC_VOLUME_SLIDER, 25, 99},     {IDC_SPEED_SLIDER, 149, 101},     {IDC_SPEED_LABEL, 249, 54},
      {IDC_TOGGLE_SPEED_EDIT, 187, 29}, {IDC_SET_TOGGLE_SPEED, 217, 29}, {IDC_BALANCE_SLIDER, 25, 99},
      {IDC_LINK_SEARCH, 155, 16},      {IDC_LINK_DICTIONARY, 175, 16},   {IDC_LINK_THESAURUS, 195, 16},
      {IDC_LINK_ENCYCLOPEDIA, 215, 16}, {IDC_LINK_SOCIAL, 235, 33},      {IDC_WORDPAD, 2, 200},
      {IDC_WORDPAD_HELP, 258, 45},     {IDC_STOPWATCH_CAPTION, 2, 80},   {IDC_STOPWATCH_START, 85, 40},
      {IDC_STOPWATCH_LABEL, 128, 55},  {IDC_STOPWATCH_RESET, 186, 40},   {IDC_LINK_HOME, 285, 18},
  };
  for (const auto& c : columns) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(a.find(c.id)->rect.x, c.x);
    EXPECT_EQ(a.find(c.id)->rect.w, c.w);
  }
  EXPECT_EQ(a.videoHeight, p - 36);
  EXPECT_TRUE(a.largeIcons);
  EXPECT_FALSE(a.find(IDC_SPEED_50)->visible);
  EXPECT_FALSE(a.find(IDC_SPEED_100)->visible);
}

bool overlap(const FormRect& a, const FormRect& b) {
  return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

// Overlaps the fixed numbers themselves make: the player control and the
// placeholder picture share the video area, which starts inside the name row, the name label runs 2 pixels into the duration label, the
// position slider runs under the compact toggle, and the speed label starts
// one pixel before the speed slider ends.
const std::set<std::pair<int, int>> kFixedOverlaps = {
    {IDC_FILE_NAME, IDC_DURATION},
    {IDC_FILE_NAME, IDC_VIDEO_PICTURE},
    {IDC_DURATION, IDC_VIDEO_PICTURE},
    {IDC_MEDIA_PLAYER, IDC_VIDEO_PICTURE},
    {IDC_FILE_NAME, IDC_MEDIA_PLAYER},
    {IDC_DURATION, IDC_MEDIA_PLAYER},
    {IDC_POSITION_SLIDER, IDC_COMPACT_TOGGLE},
    {IDC_SPEED_SLIDER, IDC_SPEED_LABEL},
};

TEST(FormArrangementTest, ControlsStayInsideTheViewWithoutOverlapping) {
  for (bool expanded : {true, false}) {
    for (int W : {292, 305, 400, 640}) {
      for (int H : {CompactFormHeight(), 279, 400, 900}) {
        if (expanded && H < 279) continue;  // expanded views are never that short
        SCOPED_TRACE(::testing::Message() << W << "x" << H << (expanded ? " expanded" : " compact"));
        const FormArrangement a = ArrangeForm(W, H, expanded);
        for (std::size_t i = 0; i < a.controls.size(); ++i) {
          const auto& c = a.controls[i];
          if (!c.visible) continue;
          EXPECT_GE(c.rect.x, 0) << c.id;
          EXPECT_LE(c.rect.right(), W) << c.id;
          EXPECT_LE(c.rect.bottom(), H) << c.id;
          for (std::size_t j = i + 1; j < a.controls.size(); ++j) {
            const auto& d = a.controls[j];
            if (!d.visible || kFixedOverlaps.count({c.id, d.id}) || kFixedOverlaps.count({d.id, c.id})) continue;
            EXPECT_FALSE(overlap(c.rect, d.rect)) << c.id << " and " << d.id;
          }
        }
      }
    }
  }
}

TEST(FormArrangementTest, CompactModeDropsTheVideoAreaAndUsesTheSmallIcons) {
  const FormArrangement tall = ArrangeForm(305, 600, false);
  EXPECT_EQ(tall.videoHeight, 0);
  EXPECT_FALSE(tall.find(IDC_VIDEO_PICTURE)->visible);
  EXPECT_FALSE(tall.find(IDC_MEDIA_PLAYER)->visible);
  EXPECT_FALSE(tall.largeIcons);
  // Without a video area the rows follow the name row, whatever the height.
  EXPECT_EQ(tall.find(IDC_POSITION_SLIDER)->rect.y, 44);
  EXPECT_EQ(ArrangeForm(305, 300, false).find(IDC_PLAY)->rect, tall.find(IDC_PLAY)->rect);
  // Expanded but too short: the video area keeps the sliver above the rows.
  const FormArrangement squeezed = ArrangeForm(305, 100, true);
  EXPECT_EQ(squeezed.videoHeight, 44 - 3 - kVideoTop);
  EXPECT_EQ(squeezed.find(IDC_POSITION_SLIDER)->rect.y, 44);
  EXPECT_EQ(ArrangeForm(305, 600, true).videoHeight - ArrangeForm(305, 500, true).videoHeight, 100);
}

TEST(ShortFileNameTest, LongNamesKeepTheirEnds) {
  const std::wstring sixty = L"0123456789ABCDEfghijklmnopqrstuvwxyz0123456789abcdeFGHIJ.wav";
  ASSERT_EQ(sixty.size(), 60u);
  const std::wstring surrogate = std::wstring(14, L'a') + L"\xD83D\xDE00" + std::wstring(30, L'b');
  struct Case {
    std::wstring name, shown;
  };
  const Case cases[] = {
      {L"", L""},
      {std::wstring(40, L'x'), std::wstring(40, L'x')},
      {std::wstring(20, L'a') + std::wstring(21, L'b'), std::wstring(15, L'a') + L"..." + std::wstring(15, L'b')},
      {sixty, L"0123456789ABCDE...9abcdeFGHIJ.wav"},
      // The pair at the cut is left out rather than halved.
      {surrogate, std::wstring(14, L'a') + L"..." + std::wstring(15, L'b')},
      {std::wstring(30, L'a') + L"\xD83D\xDE00" + std::wstring(14, L'b'),
       std::wstring(15, L'a') + L"..." + std::wstring(14, L'b')},
  };
  for (const auto& c : cases) EXPECT_EQ(ShortFileName(c.name), c.shown) << c.name.size();
}

TEST(CompactToggleTest, SizesTheFrameFromTheView) {
  struct Case {
    bool expanded;
    int video, viewW, viewH, holds;
    CompactToggleResult want;
  };
  const Case cases[] = {
      // Collapsing a tall window ends at the smallest height.
      {true, 400, 300, 600, 0, {false, 440, 315, 260}},
      // Collapsing when the view is much taller than its video keeps the rest.
      {true, 100, 300, 600, 0, {false, 140, 315, 460}},
      // The compact form needs more than 260 here.
      {true, 400, 300, 600, 280, {false, 440, 315, 280}},
      // Expanding restores view + delta...
      {false, 200, 300, 190, 0, {true, 240, 315, 430}},
      // ...but at least 330.
      {false, 0, 300, 190, 0, {true, 40, 315, 330}},
  };
  for (const auto& c : cases) {
    const auto r = ToggleCompact(c.expanded, c.video, c.viewW, c.viewH, c.holds);
    EXPECT_EQ(r.expanded, c.want.expanded);
    EXPECT_EQ(r.expandDelta, c.want.expandDelta);
    EXPECT_EQ(r.frameWidth, c.want.frameWidth);
    EXPECT_EQ(r.frameHeight, c.want.frameHeight) << c.viewH;
  }
}

TEST(FrameSizingTest, DraggedEdgesFollowTheLimits) {
  struct Case {
    FrameRect proposed;
    SizingEdge edge;
    bool expanded;
    FrameRect want;
  };
  const Case cases[] = {
      // Expanded: the bottom edge stops at 345, the top edge likewise.
      {{100, 100, 500, 400}, SizingEdge::Bottom, true, {100, 100, 500, 445}},
      {{100, 100, 500, 400}, SizingEdge::Top, true, {100, 55, 500, 400}},
      {{100, 100, 500, 400}, SizingEdge::BottomRight, true, {100, 100, 500, 445}},
      {{100, 100, 500, 400}, SizingEdge::TopLeft, true, {100, 55, 500, 400}},
      {{100, 100, 500, 445}, SizingEdge::Bottom, true, {100, 100, 500, 445}},
      // Side drags leave the height alone.
      {{100, 100, 500, 400}, SizingEdge::Right, true, {100, 100, 500, 400}},
      // Compact: anything goes (the minimum tracking size limits it).
      {{100, 100, 500, 360}, SizingEdge::Bottom, false, {100, 100, 500, 360}},
      // Narrow: widened by 20 on the dragged side (edge width 2: 320 + 4).
      {{100, 100, 423, 600}, SizingEdge::Right, false, {100, 100, 443, 600}},
      {{100, 100, 423, 600}, SizingEdge::Left, false, {80, 100, 423, 600}},
      {{100, 100, 424, 600}, SizingEdge::Right, false, {100, 100, 424, 600}},
  };
  for (const auto& c : cases) {
    const FrameRect r = SizingRect(c.proposed, c.edge, c.expanded, 2);
    EXPECT_EQ(r, c.want) << static_cast<int>(c.edge) << " " << r.left << "," << r.top << "," << r.right << ","
                         << r.bottom;
  }
}

TEST(GradientTest, RunsAlongTheAntiDiagonalsInIntegerSteps) {
  const ColorRef from = MakeColorRef(230, 145, 0), to = MakeColorRef(10, 200, 100);
  const GradientBitmap g = MakeGradient(100, 50, from, to);
  ASSERT_EQ(g.width, 106);
  ASSERT_EQ(g.height, 56);
  const int total = 162;
  EXPECT_EQ(g.at(0, 0), from);
  struct Point {
    int x, y;
  };
  for (Point p : {Point{105, 55}, Point{40, 7}, Point{0, 55}, Point{105, 0}}) {
    const int s = p.x + p.y;
    // Red falls: the division truncates toward zero, not downward.
    const ColorRef want = MakeColorRef(230 + (-220 * s) / total, 145 + 55 * s / total, 100 * s / total);
    EXPECT_EQ(g.at(p.x, p.y), want) << p.x << "," << p.y;
  }
  EXPECT_EQ(RedOf(g.at(105, 55)), 230 - 220 * 160 / 162);
  // One colour per anti-diagonal.
  EXPECT_EQ(g.at(10, 30), g.at(30, 10));
  EXPECT_EQ(g.at(0, 40), g.at(40, 0));
}

TEST(GradientTest, DegenerateSizesStayBounded) {
  const GradientBitmap empty = MakeGradient(-5, 0, kDefaultColorFrom, kDefaultColorTo);
  EXPECT_EQ(empty.width, 6);
  EXPECT_EQ(empty.height, 6);
  EXPECT_EQ(empty.pixels.size(), 36u);
  const GradientBitmap huge = MakeGradient(1 << 30, 1, kDefaultColorFrom, kDefaultColorTo);
  EXPECT_EQ(huge.width, kGradientMaxSide + 6);
}

TEST(ButtonColoursTest, ByControl) {
  struct Case {
    int id;
    ColorRef background, text;
  };
  const Case cases[] = {
      {IDC_PLAY, MakeColorRef(245, 130, 33), kBlack},
      {IDC_FF, MakeColorRef(245, 130, 33), kBlack},
      {IDC_OPEN_PLAYLIST, MakeColorRef(245, 130, 33), kWhite},
      {IDC_WORDPAD, MakeColorRef(245, 130, 33), kWhite},
      {IDC_STOPWATCH_CAPTION, MakeColorRef(245, 130, 33), kWhite},
      {IDC_SET_TOGGLE_SPEED, MakeColorRef(128, 130, 133), kWhite},
      {IDC_SPEED_100, MakeColorRef(128, 130, 133), kWhite},
      {IDC_STOPWATCH_RESET, MakeColorRef(254, 184, 17), kBlack},
  };
  for (const auto& c : cases) {
    const auto colours = ButtonColoursFor(c.id);
    ASSERT_TRUE(colours) << c.id;
    EXPECT_EQ(colours->normal, c.background) << c.id;
    EXPECT_EQ(colours->pressed, c.background) << c.id;
    EXPECT_EQ(colours->text, c.text) << c.id;
  }
  EXPECT_FALSE(ButtonColoursFor(IDC_COMPACT_TOGGLE));
  EXPECT_FALSE(ButtonColoursFor(IDC_LINK_HOME));
}

}  // namespace
}  // namespace tolv

#include "tolv/app/CommandLine.h"

namespace tolv {
namespace {

TEST(CommandLineTest, OnePathWithoutItsQuotes) {
  struct Case {
    const wchar_t* line;
    const wchar_t* path;
  };
  const Case cases[] = {
      {L"", L""},
      {L"   ", L""},
      {L"C:\\a\\talk.mp3", L"C:\\a\\talk.mp3"},
      {L"\"C:\\my files\\talk  two.mp3\"", L"C:\\my files\\talk  two.mp3"},
      {L"  \"C:\\x y.wav\"  ", L"C:\\x y.wav"},
      {L"\"C:\\unclosed.wav", L"C:\\unclosed.wav"},
      {L"\"\"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(CommandLineMediaPath(c.line), c.path) << c.line;
}

}  // namespace
}  // namespace tolv
