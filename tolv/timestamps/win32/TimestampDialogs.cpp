#include "tolv/timestamps/win32/TimestampDialogs.h"

#include <string>

#include "tolv/app/win32/WebPage.h"
#include "tolv/playback/win32/WindowPorts.h"
#include "tolv/timestamps/win32/TimestampDialogIds.h"

namespace tolv {
namespace {

struct CheckControl {
  int id;
  AppearanceCheck box;
};

constexpr CheckControl kAppearanceChecks[] = {
    {IDC_TSA_INCLUDE_HOURS, AppearanceCheck::IncludeHours},
    {IDC_TSA_INCLUDE_MINUTES, AppearanceCheck::IncludeMinutes},
    {IDC_TSA_INCLUDE_SECONDS, AppearanceCheck::IncludeSeconds},
    {IDC_TSA_SHOW_FRACTIONS, AppearanceCheck::ShowFractions},
    {IDC_TSA_SHOW_FRAMES, AppearanceCheck::ShowFrames},
    {IDC_TSA_BOLD, AppearanceCheck::Bold},
    {IDC_TSA_ITALIC, AppearanceCheck::Italic},
    {IDC_TSA_ONE_DIGIT_HOURS, AppearanceCheck::OneDigitHours},
    {IDC_TSA_HIDE_HOURS, AppearanceCheck::HideHours},
};

struct TextControl {
  int id;
  AppearanceText field;
};

constexpr TextControl kAppearanceTexts[] = {
    {IDC_TSA_BEFORE_HOURS, AppearanceText::BeforeHours},     {IDC_TSA_BEFORE_MINUTES, AppearanceText::BeforeMinutes},
    {IDC_TSA_BEFORE_SECONDS, AppearanceText::BeforeSeconds}, {IDC_TSA_AFTER_SECONDS, AppearanceText::AfterSeconds},
    {IDC_TSA_AFTER_FRACTION, AppearanceText::AfterFraction}, {IDC_TSA_AFTER_FRAMES, AppearanceText::AfterFrames},
};

constexpr int kFractionRadios[] = {IDC_TSA_TENTHS, IDC_TSA_HUNDREDTHS, IDC_TSA_THOUSANDTHS};

std::wstring ItemText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), length + 1)));
  return text;
}

struct ComboControl {
  int id;
  AutoCombo combo;
};

constexpr ComboControl kAutoCombos[] = {
    {IDC_ATS_INTERVAL, AutoCombo::Interval},
    {IDC_ATS_DELAY_SECONDS, AutoCombo::Delay},
    {IDC_ATS_SUBTRACT_SECONDS, AutoCombo::Subtract},
    {IDC_ATS_ADD_AFTER, AutoCombo::AddAfter},
};

struct AutoCheckControl {
  int id;
  AutoCheck box;
};

constexpr AutoCheckControl kAutoChecks[] = {
    {IDC_ATS_EVERY, AutoCheck::Every},         {IDC_ATS_DELAY, AutoCheck::Delay},
    {IDC_ATS_PARAGRAPH, AutoCheck::Paragraph}, {IDC_ATS_SUBTRACT, AutoCheck::Subtract},
    {IDC_ATS_NEW_LINE, AutoCheck::NewLine},
};

}  // namespace

// ------------------------------------------------------- CTimestampAppearance

void CTimestampAppearance::OwnedBoxes::show(std::wstring_view text, MessageIcon icon) {
  CMessageBoxes(dialog_.hwnd(), L"Tolv").show(text, icon);
}

CTimestampAppearance::CTimestampAppearance(INamedConfigurationFile& configuration, TimestampStyle& style,
                                           IMessageBoxes* boxes)
    : CDialog(IDD_TIMESTAMP_APPEARANCE),
      configuration_(configuration),
      style_(style),
      ownBoxes_(*this),
      logic_(style, boxes ? *boxes : ownBoxes_) {
  MapMessages();
}

CTimestampAppearance::~CTimestampAppearance() {
  if (boldFont_) DeleteObject(boldFont_);
}

void CTimestampAppearance::MapMessages() {
  for (const auto& c : kAppearanceChecks)
    messages_.onCommand(c.id, [this, c] {
      logic_.SetCheck(c.box, IsDlgButtonChecked(hwnd(), c.id) == BST_CHECKED);
      ShowChecks();
      ShowPreview();
    });
  for (int digits = 0; digits < 3; ++digits)
    messages_.onCommand(kFractionRadios[digits], [this, digits] {
      logic_.SetFractionDigits(digits);
      ShowPreview();
    });
  for (const auto& t : kAppearanceTexts)
    messages_.onControl(t.id, EN_CHANGE, [this, t] {
      if (filling_) return;
      logic_.SetText(t.field, ItemText(hwnd(), t.id));
      ShowPreview();
    });
  messages_.onControl(IDC_TSA_FPS, EN_CHANGE, [this] {
    if (filling_) return;
    logic_.SetFpsText(ItemText(hwnd(), IDC_TSA_FPS));
    ShowPreview();
  });
  messages_.onCommand(IDC_TSA_HELP, [this] { OpenWebPage(hwnd(), kTimestampAppearanceHelpAddress); });
}

BOOL CTimestampAppearance::OnInitDialog() {
  filling_ = true;
  logic_.Open();
  for (const auto& t : kAppearanceTexts) SetDlgItemTextW(hwnd(), t.id, logic_.Text(t.field).c_str());
  SetDlgItemTextW(hwnd(), IDC_TSA_FPS, logic_.fpsText().c_str());
  filling_ = false;
  ShowChecks();
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)), sizeof(lf), &lf);
  lf.lfWeight = FW_BOLD;
  boldFont_ = CreateFontIndirectW(&lf);
  MakeLink(item(IDC_TSA_HELP));
  ShowPreview();
  return TRUE;
}

void CTimestampAppearance::ShowChecks() {
  for (const auto& c : kAppearanceChecks)
    CheckDlgButton(hwnd(), c.id, logic_.Check(c.box) ? BST_CHECKED : BST_UNCHECKED);
}

void CTimestampAppearance::ShowPreview() {
  // The radio group follows the style too (an out-of-range value reads as tenths).
  const int digits = style_.fractionDigits;
  CheckRadioButton(hwnd(), IDC_TSA_TENTHS, IDC_TSA_THOUSANDTHS, kFractionRadios[digits >= 0 && digits <= 2 ? digits : 0]);
  HWND preview = item(IDC_TSA_PREVIEW);
  HFONT font = logic_.previewBold() && boldFont_ ? boldFont_ : reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
  SendMessageW(preview, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  SetWindowTextW(preview, logic_.preview().c_str());
}

void CTimestampAppearance::OnOK() {
  configuration_.Save();
  EndDialog(IDOK);
}

void CTimestampAppearance::OnCancel() {
  configuration_.Reload();
  EndDialog(IDCANCEL);
}

// ------------------------------------------------------- CAutotimestampConfig

CAutotimestampConfig::CAutotimestampConfig(INamedConfigurationFile& configuration)
    : CDialog(IDD_AUTOTIMESTAMP_CONFIG), configuration_(configuration) {
  for (const auto& c : kAutoChecks)
    messages_.onCommand(c.id, [this, c] {
      logic_.SetCheck(c.box, IsDlgButtonChecked(hwnd(), c.id) == BST_CHECKED);
      ApplyEnabled();
    });
  for (const auto& c : kAutoCombos)
    messages_.onControl(c.id, CBN_SELCHANGE, [this, c] {
      CAutotimestampConfigLogic::Select(c.combo, static_cast<int>(SendMessageW(item(c.id), CB_GETCURSEL, 0, 0)));
    });
  messages_.onCommand(IDC_ATS_HELP, [this] { OpenWebPage(hwnd(), kAutoTimestampsHelpAddress); });
}

BOOL CAutotimestampConfig::OnInitDialog() {
  for (const auto& c : kAutoCombos) {
    HWND combo = item(c.id);
    for (const auto& text : CAutotimestampConfigLogic::Items(c.combo))
      SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(CAutotimestampConfigLogic::Selection(c.combo)), 0);
  }
  logic_.Open();
  for (const auto& c : kAutoChecks) CheckDlgButton(hwnd(), c.id, logic_.Check(c.box) ? BST_CHECKED : BST_UNCHECKED);
  ApplyEnabled();
  MakeLink(item(IDC_ATS_HELP));
  return TRUE;
}

void CAutotimestampConfig::ApplyEnabled() {
  const AutoEnabled e = logic_.Enabled();
  EnableWindow(item(IDC_ATS_DELAY), e.delayCheck);
  EnableWindow(item(IDC_ATS_INTERVAL), e.intervalCombo);
  EnableWindow(item(IDC_ATS_DELAY_SECONDS), e.delayCombo);
  EnableWindow(item(IDC_ATS_SUBTRACT), e.subtractCheck);
  EnableWindow(item(IDC_ATS_NEW_LINE), e.newLineCheck);
  EnableWindow(item(IDC_ATS_ADD_AFTER), e.addAfterCombo);
  EnableWindow(item(IDC_ATS_SUBTRACT_SECONDS), e.subtractCombo);
}

void CAutotimestampConfig::OnOK() {
  logic_.Ok();
  configuration_.Save();
  EndDialog(IDOK);
}

void CAutotimestampConfig::OnCancel() {
  configuration_.Reload();
  EndDialog(IDCANCEL);
}

}  // namespace tolv
