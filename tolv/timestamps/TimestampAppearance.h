#pragma once
// What the "Timestamps Appearance" dialog does, without its window: every
// change goes into the style at once, keeps the hour options consistent and
// refreshes the preview and the patterns.
#include <string>

#include "tolv/playback/TolvForm.h"
#include "tolv/timestamps/TimestampStyle.h"

namespace tolv {

enum class AppearanceCheck {
  IncludeHours,
  IncludeMinutes,
  IncludeSeconds,
  ShowFractions,
  ShowFrames,
  Bold,
  Italic,
  OneDigitHours,
  HideHours,
};

enum class AppearanceText { BeforeHours, BeforeMinutes, BeforeSeconds, AfterSeconds, AfterFraction, AfterFrames };

extern const wchar_t* const kFpsMissingMessage;
extern const wchar_t* const kFpsRangeMessage;

class CTimestampAppearanceLogic {
 public:
  CTimestampAppearanceLogic(TimestampStyle& style, IMessageBoxes& messages);

  // Fills the boxes from the style and builds preview and patterns once, quietly.
  void Open();

  // A click on a check box, with the coupling of the hour options.
  void SetCheck(AppearanceCheck box, bool checked);
  bool Check(AppearanceCheck box) const;
  // 0 tenths, 1 hundredths, 2 thousandths.
  void SetFractionDigits(int digits);
  void SetText(AppearanceText field, const std::wstring& text);
  const std::wstring& Text(AppearanceText field) const;
  // A change of the frames-per-second box: its number goes into the style first.
  void SetFpsText(const std::wstring& text);
  const std::wstring& fpsText() const { return fpsText_; }

  const std::wstring& preview() const { return preview_; }
  bool previewBold() const { return style_.boldTimestamps != 0; }
  // False when the texts hold a "%" form that makes every timestamp fail.
  bool patternsValid() const;

 private:
  void Refresh(bool fromUser);
  int32_t& Flag(AppearanceCheck box);
  std::wstring& Field(AppearanceText field);

  TimestampStyle& style_;
  IMessageBoxes& messages_;
  std::wstring fpsText_;
  std::wstring preview_;
};

}  // namespace tolv
