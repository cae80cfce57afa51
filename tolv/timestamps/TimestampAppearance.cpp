#include "tolv/timestamps/TimestampAppearance.h"

#include "tolv/timestamps/NumberText.h"
#include "tolv/timestamps/TimestampPattern.h"

namespace tolv {

const wchar_t* const kFpsMissingMessage =
    L"If you check Add Frames, you must enter an fps figure between 0 and 999.";
const wchar_t* const kFpsRangeMessage = L"FPS figure must be 0-999";

CTimestampAppearanceLogic::CTimestampAppearanceLogic(TimestampStyle& style, IMessageBoxes& messages)
    : style_(style), messages_(messages) {}

void CTimestampAppearanceLogic::Open() {
  fpsText_ = Digits(style_.framesPerSecond, 1);
  Refresh(false);
}

int32_t& CTimestampAppearanceLogic::Flag(AppearanceCheck box) {
  switch (box) {
    case AppearanceCheck::IncludeHours: return style_.includeHours;
    case AppearanceCheck::IncludeMinutes: return style_.includeMinutes;
    case AppearanceCheck::IncludeSeconds: return style_.includeSeconds;
    case AppearanceCheck::ShowFractions: return style_.showFractions;
    case AppearanceCheck::ShowFrames: return style_.showFrames;
    case AppearanceCheck::Bold: return style_.boldTimestamps;
    case AppearanceCheck::Italic: return style_.italicTimestamps;
    case AppearanceCheck::OneDigitHours: return style_.oneDigitHours;
    case AppearanceCheck::HideHours: return style_.hideHours;
  }
  return style_.includeHours;
}

std::wstring& CTimestampAppearanceLogic::Field(AppearanceText field) {
  switch (field) {
    case AppearanceText::BeforeHours: return style_.beforeHours;
    case AppearanceText::BeforeMinutes: return style_.beforeMinutes;
    case AppearanceText::BeforeSeconds: return style_.beforeSeconds;
    case AppearanceText::AfterSeconds: return style_.afterSeconds;
    case AppearanceText::AfterFraction: return style_.afterFraction;
    case AppearanceText::AfterFrames: return style_.afterFrames;
  }
  return style_.beforeHours;
}

bool CTimestampAppearanceLogic::Check(AppearanceCheck box) const {
  return const_cast<CTimestampAppearanceLogic*>(this)->Flag(box) != 0;
}

const std::wstring& CTimestampAppearanceLogic::Text(AppearanceText field) const {
  return const_cast<CTimestampAppearanceLogic*>(this)->Field(field);
}

void CTimestampAppearanceLogic::SetCheck(AppearanceCheck box, bool checked) {
  Flag(box) = checked ? 1 : 0;
  // Hidden hours count minutes past 59, so they exclude both other hour options.
  switch (box) {
    case AppearanceCheck::IncludeHours:
      if (!checked) style_.oneDigitHours = 0;
      style_.hideHours = 0;
      break;
    case AppearanceCheck::OneDigitHours:
      if (checked) {
        style_.includeHours = 1;
        style_.hideHours = 0;
      }
      break;
    case AppearanceCheck::HideHours:
      if (checked) {
        style_.includeHours = 0;
        style_.oneDigitHours = 0;
      }
      break;
    default:
      break;
  }
  Refresh(true);
}

void CTimestampAppearanceLogic::SetFractionDigits(int digits) {
  style_.fractionDigits = digits < 0 || digits > 2 ? 0 : digits;
  Refresh(true);
}

void CTimestampAppearanceLogic::SetText(AppearanceText field, const std::wstring& text) {
  Field(field) = text;
  Refresh(true);
}

void CTimestampAppearanceLogic::SetFpsText(const std::wstring& text) {
  fpsText_ = text;
  style_.framesPerSecond = TextToInt(text);
  Refresh(true);
}

bool CTimestampAppearanceLogic::patternsValid() const {
  return IsValidPattern(style_.positivePattern) && IsValidPattern(style_.negativePattern);
}

void CTimestampAppearanceLogic::Refresh(bool fromUser) {
  std::wstring p = style_.beforeHours;
  if (style_.includeHours) p += style_.oneDigitHours ? L"H" : L"HH";
  p += style_.beforeMinutes;
  if (style_.includeMinutes) p += L"MM";
  p += style_.beforeSeconds;
  if (style_.includeSeconds) p += L"SS";
  p += style_.afterSeconds;
  if (style_.showFractions) {
    p += style_.fractionDigits == 1 ? L"00" : style_.fractionDigits == 2 ? L"000" : L"0";
    p += style_.afterFraction;
  }
  if (style_.showFrames) {
    p += fpsText_;
    p += style_.afterFrames;
  }
  preview_ = std::move(p);
  // Rebuilt before the rate is checked, so the patterns in force always match
  // the texts, even while the rate box is being corrected.
  RebuildPatterns(style_);

  if (!fromUser || !style_.showFrames) return;
  if (fpsText_.empty()) {
    messages_.show(kFpsMissingMessage, MessageIcon::Information);
    return;
  }
  const int fps = TextToInt(fpsText_);
  if (fps < 0 || fps > 999) {
    messages_.show(kFpsRangeMessage, MessageIcon::Warning);
    return;
  }
  style_.framesPerSecond = fps;
}

}  // namespace tolv
