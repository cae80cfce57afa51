// The logic behind the appearance and automatic-timestamp dialogs.
#include <gtest/gtest.h>

#include "tolv/config/Settings.h"
#include "tolv/playback/tests/fakes/FakeTolvForm.h"
#include "tolv/timestamps/AutotimestampConfig.h"
#include "tolv/timestamps/TimestampAppearance.h"

namespace tolv::testing {
namespace {

using C = AppearanceCheck;
using T = AppearanceText;

class AppearanceTest : public ::testing::Test {
 protected:
  AppearanceTest() { logic.Open(); }
  std::vector<std::wstring> messages() const {
    std::vector<std::wstring> texts;
    for (const auto& s : boxes.shown) texts.push_back(s.text);
    return texts;
  }

  TimestampStyle style;
  FakeMessageBoxes boxes;
  CTimestampAppearanceLogic logic{style, boxes};
};

TEST_F(AppearanceTest, HourOptionsStayConsistent) {
  struct Hours {
    int include, oneDigit, hide;
    bool operator==(const Hours&) const = default;
  };
  struct Case {
    Hours before;
    AppearanceCheck box;
    bool checked;
    Hours after;
  } cases[] = {
      {{1, 1, 0}, C::IncludeHours, false, {0, 0, 0}},
      {{0, 0, 1}, C::IncludeHours, true, {1, 0, 0}},
      {{1, 0, 0}, C::OneDigitHours, true, {1, 1, 0}},
      {{0, 0, 1}, C::OneDigitHours, true, {1, 1, 0}},
      {{1, 1, 0}, C::OneDigitHours, false, {1, 0, 0}},
      {{1, 1, 0}, C::HideHours, true, {0, 0, 1}},
      {{0, 0, 1}, C::HideHours, false, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    style.includeHours = c.before.include;
    style.oneDigitHours = c.before.oneDigit;
    style.hideHours = c.before.hide;
    logic.SetCheck(c.box, c.checked);
    const Hours after{style.includeHours, style.oneDigitHours, style.hideHours};
    EXPECT_TRUE(after == c.after) << static_cast<int>(c.box) << " " << c.checked << " -> " << after.include
                                  << after.oneDigit << after.hide;
  }
}

TEST_F(AppearanceTest, PreviewFollowsEveryChange) {
  EXPECT_EQ(L"_HH:MM:SS_", logic.preview());
  EXPECT_FALSE(logic.previewBold());

  logic.SetCheck(C::OneDigitHours, true);
  EXPECT_EQ(L"_H:MM:SS_", logic.preview());
  logic.SetCheck(C::HideHours, true);
  EXPECT_EQ(L"_:MM:SS_", logic.preview());
  logic.SetCheck(C::IncludeHours, true);
  logic.SetCheck(C::IncludeMinutes, false);
  EXPECT_EQ(L"_HH::SS_", logic.preview());
  logic.SetCheck(C::IncludeMinutes, true);

  logic.SetText(T::AfterSeconds, L".");
  logic.SetCheck(C::ShowFractions, true);
  logic.SetFractionDigits(1);
  logic.SetText(T::AfterFraction, L"]");
  EXPECT_EQ(L"_HH:MM:SS.00]", logic.preview());
  logic.SetFractionDigits(2);
  EXPECT_EQ(L"_HH:MM:SS.000]", logic.preview());

  logic.SetFpsText(L"25");
  logic.SetCheck(C::ShowFrames, true);
  logic.SetText(T::AfterFrames, L"f");
  EXPECT_EQ(L"_HH:MM:SS.000]25f", logic.preview());

  logic.SetCheck(C::Bold, true);
  EXPECT_TRUE(logic.previewBold());
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(AppearanceTest, PatternsAreRebuiltWithThePreview) {
  logic.SetText(T::BeforeHours, L"[");
  EXPECT_EQ(L"[%H:%M:%S_", style.positivePattern);
  EXPECT_EQ(L"[-%H:%M:%S_", style.negativePattern);
  EXPECT_TRUE(logic.patternsValid());
  logic.SetText(T::BeforeSeconds, L"%Q");
  EXPECT_FALSE(logic.patternsValid());
}

TEST_F(AppearanceTest, FrameRateIsCheckedWhileFramesAreShown) {
  struct Case {
    const wchar_t* fps;
    const wchar_t* message;  // nullptr: accepted
  } cases[] = {
      {L"25", nullptr},
      {L"0", nullptr},
      {L"999", nullptr},
      {L"", kFpsMissingMessage},
      {L"1000", kFpsRangeMessage},
      {L"-1", kFpsRangeMessage},
      {L"99999999999999", kFpsRangeMessage},
  };
  logic.SetCheck(C::ShowFrames, true);
  for (const auto& c : cases) {
    boxes.shown.clear();
    logic.SetFpsText(c.fps);
    if (c.message) {
      ASSERT_EQ(1u, boxes.shown.size()) << c.fps;
      EXPECT_EQ(c.message, boxes.shown[0].text);
    } else {
      EXPECT_TRUE(boxes.shown.empty()) << c.fps;
      EXPECT_EQ(std::stoi(c.fps), style.framesPerSecond);
    }
  }
  // The missing-rate message carries the information icon.
  boxes.shown.clear();
  logic.SetFpsText(L"");
  EXPECT_EQ(MessageIcon::Information, boxes.shown.at(0).icon);

  // Any change checks again while the box stays empty, and the texts still apply.
  logic.SetText(T::AfterSeconds, L".");
  EXPECT_EQ(2u, boxes.shown.size());
  EXPECT_EQ(L"_%H:%M:%S.", style.positivePattern);

  // Without frames the rate is not checked.
  boxes.shown.clear();
  logic.SetCheck(C::ShowFrames, false);
  logic.SetFpsText(L"5000");
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(AppearanceTest, OpeningIsQuiet) {
  style.showFrames = 1;
  style.framesPerSecond = 5000;
  style.includeMinutes = 0;
  logic.Open();
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(L"5000", logic.fpsText());
  EXPECT_EQ(L"_HH::SS_5000", logic.preview());
  EXPECT_EQ(L"_%H::%S_", style.positivePattern);
}

class AutoConfigTest : public ::testing::Test {
 protected:
  AutoConfigTest() { ResetPlaybackSettings(); }
  ~AutoConfigTest() override { ResetPlaybackSettings(); }
  CAutotimestampConfigLogic logic;
};

TEST_F(AutoConfigTest, ComboBoxesOfferTheirListsAndShowTheSetting) {
  EXPECT_EQ((std::vector<std::wstring>{L"2", L"3", L"4", L"5", L"6", L"10", L"12", L"15", L"20", L"30",
                                       L"45", L"60", L"120", L"180", L"300", L"600", L"1200", L"1800",
                                       L"3600", L"7200"}),
            CAutotimestampConfigLogic::Items(AutoCombo::Interval));
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), CAutotimestampConfigLogic::Values(AutoCombo::Delay));
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), CAutotimestampConfigLogic::Values(AutoCombo::Subtract));
  EXPECT_EQ((std::vector<int>{1, 2, 3}), CAutotimestampConfigLogic::Values(AutoCombo::AddAfter));

  struct Case {
    AutoCombo combo;
    int* setting;
    int value;
    int selection;
  } cases[] = {
      {AutoCombo::Interval, &intervalSeconds, 0, -1},   {AutoCombo::Interval, &intervalSeconds, 30, 9},
      {AutoCombo::Interval, &intervalSeconds, 7, -1},   {AutoCombo::Interval, &intervalSeconds, 7200, 19},
      {AutoCombo::Delay, &delaySeconds, 5, 4},          {AutoCombo::Delay, &delaySeconds, 11, -1},
      {AutoCombo::Subtract, &subtractSeconds, 1, 0},    {AutoCombo::AddAfter, &paragraphEnterCount, 2, 1},
      {AutoCombo::AddAfter, &paragraphEnterCount, 0, -1},
  };
  for (const auto& c : cases) {
    *c.setting = c.value;
    EXPECT_EQ(c.selection, CAutotimestampConfigLogic::Selection(c.combo)) << c.value;
  }
}

TEST_F(AutoConfigTest, ChoicesAreStoredAtOnceAndChecksOnlyOnOk) {
  CAutotimestampConfigLogic::Select(AutoCombo::Interval, 11);
  CAutotimestampConfigLogic::Select(AutoCombo::Delay, 9);
  CAutotimestampConfigLogic::Select(AutoCombo::Subtract, 2);
  CAutotimestampConfigLogic::Select(AutoCombo::AddAfter, 2);
  CAutotimestampConfigLogic::Select(AutoCombo::AddAfter, 3);   // no such item
  CAutotimestampConfigLogic::Select(AutoCombo::Interval, -1);  // no selection
  EXPECT_EQ(60, intervalSeconds);
  EXPECT_EQ(10, delaySeconds);
  EXPECT_EQ(3, subtractSeconds);
  EXPECT_EQ(3, paragraphEnterCount);

  logic.Open();
  EXPECT_TRUE(logic.Check(AutoCheck::NewLine));  // on by default
  EXPECT_FALSE(logic.Check(AutoCheck::Every));
  logic.SetCheck(AutoCheck::Every, true);
  logic.SetCheck(AutoCheck::Subtract, true);
  logic.SetCheck(AutoCheck::NewLine, false);
  EXPECT_EQ(0, intervalTimestamps);
  logic.Ok();
  EXPECT_EQ(1, intervalTimestamps);
  EXPECT_EQ(0, delayTimestamps);
  EXPECT_EQ(0, paragraphTimestamps);
  EXPECT_EQ(1, subtractTimestamps);
  EXPECT_EQ(0, paragraphNewLine);
}

TEST_F(AutoConfigTest, EnablingFollowsTheCheckBoxes) {
  struct Case {
    bool every, delay, paragraph, subtract;
    AutoEnabled enabled;  // delayCheck, intervalCombo, delayCombo, subtractCheck, newLine, addAfter, subtractCombo
  } cases[] = {
      {false, true, false, true, {false, false, false, false, false, false, false}},
      {true, false, false, false, {true, true, false, false, false, false, false}},
      {true, true, false, false, {true, true, true, false, false, false, false}},
      {false, false, true, false, {false, false, false, true, true, true, false}},
      {false, false, true, true, {false, false, false, true, true, true, true}},
      {true, true, true, true, {true, true, true, true, true, true, true}},
  };
  for (const auto& c : cases) {
    logic.SetCheck(AutoCheck::Every, c.every);
    logic.SetCheck(AutoCheck::Delay, c.delay);
    logic.SetCheck(AutoCheck::Paragraph, c.paragraph);
    logic.SetCheck(AutoCheck::Subtract, c.subtract);
    EXPECT_TRUE(logic.Enabled() == c.enabled) << c.every << c.delay << c.paragraph << c.subtract;
  }
}

}  // namespace
}  // namespace tolv::testing
