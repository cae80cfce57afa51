#include "tolv/config/files/win32/ConfigDialogs.h"

#include <commdlg.h>
#include <shellapi.h>

#include <array>
#include <vector>

#include "tolv/config/Settings.h"
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/config/files/NamedConfigurationFile.h"
#include "tolv/config/files/win32/ConfigDialogIds.h"
#include "tolv/hotkeys/Hotkeys.h"
#include "tolv/hotkeys/win32/Win32KeyboardHook.h"
#include "tolv/playback/win32/WindowPorts.h"
#include "tolv/timestamps/win32/TimestampDialogs.h"

namespace tolv {
namespace {

constexpr wchar_t kHelpRxPx[] = L"https://www.quenmark.com/tolv/help/rx-px";
constexpr wchar_t kHelpOffset[] = L"https://www.quenmark.com/tolv/help/timestamps-start-from";
constexpr wchar_t kHelpConfigurations[] = L"https://www.quenmark.com/tolv/help/configurations";
constexpr wchar_t kHelpWordClipboard[] = L"https://www.quenmark.com/tolv/help/word-timestamps";
constexpr wchar_t kHelpGrundig[] = L"https://www.quenmark.com/tolv/help/grundig-pedals";
constexpr wchar_t kHelpBuyPedal[] = L"https://www.quenmark.com/tolv/foot-pedals";
constexpr wchar_t kHelpPhilips[] = L"https://www.quenmark.com/tolv/help/philips-pedals";

std::wstring ItemText(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
  return text;
}

void CenterOnDesktop(HWND window) {
  RECT r{}, desk{};
  GetWindowRect(window, &r);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &desk, 0);
  const int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(window, nullptr, desk.left + (desk.right - desk.left - w) / 2, desk.top + (desk.bottom - desk.top - h) / 2,
               0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Help links are static texts drawn in blue.
LRESULT LinkColor(HDC dc, HWND control, std::initializer_list<int> links) {
  const int id = GetDlgCtrlID(control);
  for (int link : links)
    if (id == link) {
      SetTextColor(dc, RGB(0, 0, 255));
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
  return 0;
}

}  // namespace

void OpenHelpPage(HWND owner, const wchar_t* address) {
  ShellExecuteW(owner, L"open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

// --- open-file dialog ---

ChosenFile Win32OpenFileDialog::ChooseFile(const std::wstring& initialFolder) {
  std::vector<wchar_t> name(2048, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner_;
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.lpstrInitialDir = initialFolder.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
  if (GetOpenFileNameW(&ofn)) return {FileChoice::Chosen, name.data()};
  return {CommDlgExtendedError() != 0 ? FileChoice::Failed : FileChoice::Cancelled, {}};
}

// --- Warning ---

DialogPhillipsWarning::DialogPhillipsWarning() : CDialog(IDD_PHILIPS_WARNING) {
  messages_.onControl(IDC_PHILIPS_DRIVERS_LINK, STN_CLICKED, [this] { OpenHelpPage(hwnd(), kHelpPhilips); });
  messages_.on(WM_CTLCOLORSTATIC, [this](WPARAM wParam, LPARAM lParam) {
    return LinkColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                     {IDC_PHILIPS_DRIVERS_LINK});
  });
}

// --- Save current configuration file ---

CDlgSaveConfigurationAs::CDlgSaveConfigurationAs(IDataFiles& files, IMessageBoxPort& messages,
                                                 IConfigurationsGroup& group)
    : CDialog(IDD_SAVE_CONFIGURATION_AS), logic_(files, messages, group) {}

BOOL CDlgSaveConfigurationAs::OnInitDialog() {
  SendDlgItemMessageW(hwnd(), IDC_CONFIGURATION_NAME, EM_LIMITTEXT, 260, 0);
  return TRUE;
}

void CDlgSaveConfigurationAs::OnOK() {
  if (logic_.OnOk(ItemText(hwnd(), IDC_CONFIGURATION_NAME))) EndDialog(IDOK);
}

// --- Conversions ---

namespace {
struct ConversionBox {
  int id;
  int* setting;
};
const std::array<ConversionBox, 6> kConversionBoxes{{{IDC_CONVERT_WMA, &convertWmaToWav},
                                                      {IDC_CONVERT_MP4A, &convertMp4aToMpg},
                                                      {IDC_CONVERT_MP4, &convertMp4ToMpg},
                                                      {IDC_CONVERT_WMV, &convertWmvToMpg},
                                                      {IDC_CONVERT_FLV, &convertFlvToMpg},
                                                      {IDC_CONVERT_MP3, &convertMp3ToWav}}};
}  // namespace

CDlgConversions::CDlgConversions() : CDialog(IDD_CONVERSIONS) {
  for (const auto& box : kConversionBoxes)
    messages_.onCommand(box.id, [this, box] { *box.setting = IsDlgButtonChecked(hwnd(), box.id) == BST_CHECKED; });
}

BOOL CDlgConversions::OnInitDialog() {
  for (const auto& box : kConversionBoxes) CheckDlgButton(hwnd(), box.id, *box.setting ? BST_CHECKED : BST_UNCHECKED);
  return TRUE;
}

// --- Settings ---

CDlgSettings::CDlgSettings(IDataFiles& files, SettingsWindowLinks links)
    : CDialog(IDD_SETTINGS), files_(files), links_(std::move(links)) {
  MapMessages();
}

CDlgSettings::~CDlgSettings() = default;

void CDlgSettings::MapMessages() {
  messages_.onCommand(IDC_PLAYMODE_HOLD, [] { playMode = 1; });
  messages_.onCommand(IDC_PLAYMODE_TOGGLE, [] { playMode = 2; });
  messages_.onCommand(IDC_PLAYMODE_LENGTH, [] { playMode = 0; });
  messages_.onControl(IDC_PLAY_LENGTH, CBN_SELCHANGE, [this] { playLengthSeconds = ComboNumber(IDC_PLAY_LENGTH); });
  messages_.onControl(IDC_JUMP_BACK, CBN_SELENDOK, [this] { jumpBackSeconds = ComboNumber(IDC_JUMP_BACK); });
  messages_.onControl(IDC_PX_SECONDS, CBN_SELCHANGE, [this] { pxSeconds = ComboNumber(IDC_PX_SECONDS); });
  messages_.onControl(IDC_RX_SECONDS, CBN_SELCHANGE, [this] { rxSeconds = ComboNumber(IDC_RX_SECONDS); });

  for (int row = 0; row < static_cast<int>(kSettingsHotkeyRows.size()); ++row)
    messages_.onCommand(IDC_HOTKEY_DISABLE_FIRST + row, [this, row] {
      hotkeyDisabled[kSettingsHotkeyRows[row] - 1] = Checked(IDC_HOTKEY_DISABLE_FIRST + row);
    });
  messages_.onCommand(IDC_CHANGE_HOTKEYS, [this] {
    CDlgChangeHotkeys([this] { SaveMainConfiguration(files_); }, links_.rawInputReader).DoModal(hwnd());
    RefreshKeyFields();
  });
  messages_.onCommand(IDC_RESTORE_HOTKEYS, [this] { RestoreDefaultHotkeys(*questions_, *this); });

  messages_.onCommand(IDC_PHILIPS, [this] {
    Check(IDC_PHILIPS, logic_->OnPhilipsClicked(Checked(IDC_PHILIPS), [this] {
      return DialogPhillipsWarning().DoModal(hwnd()) == IDOK;
    }));
  });
  messages_.onCommand(IDC_ALWAYS_ON_TOP, [this] { logic_->OnAlwaysOnTop(Checked(IDC_ALWAYS_ON_TOP)); });
  messages_.onCommand(IDC_SWITCH_PEDAL, [this] { switchPedalFfRew = Checked(IDC_SWITCH_PEDAL); });
  messages_.onCommand(IDC_DISPLAY_REMAINING, [this] { displayTimeRemaining = Checked(IDC_DISPLAY_REMAINING); });
  messages_.onCommand(IDC_WORD_CLIPBOARD, [this] { useClipboardForWord = Checked(IDC_WORD_CLIPBOARD) ? 1 : 0; });

  messages_.onCommand(IDC_COLOR_FROM, [this] { PickColor(IDC_COLOR_FROM, colorFrom_); });
  messages_.onCommand(IDC_COLOR_TO, [this] { PickColor(IDC_COLOR_TO, colorTo_); });
  messages_.onCommand(IDC_DEFAULT_COLORS, [this] {
    if (const auto colors = logic_->RestoreDefaultColors()) {
      colorFrom_ = colors->first;
      colorTo_ = colors->second;
      InvalidateRect(item(IDC_COLOR_FROM), nullptr, TRUE);
      InvalidateRect(item(IDC_COLOR_TO), nullptr, TRUE);
    }
  });
  messages_.onCommand(IDC_PREVIEW, [this] { logic_->Preview(colorFrom_, colorTo_); });
  messages_.on(WM_DRAWITEM, [this](WPARAM, LPARAM lParam) { return DrawColor(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)); });

  messages_.onCommand(IDC_CONVERSIONS_MENU, [this] {
    if (CDlgConversions().DoModal(hwnd()) == IDOK) logic_->AfterConversionsDialog();
  });
  // The timestamp dialogs save or reload the named configuration themselves.
  messages_.onCommand(IDC_AUTO_TIMESTAMPS_MENU, [this] {
    CNamedConfigurationFile configuration(files_);
    CAutotimestampConfig(configuration).DoModal(hwnd());
  });
  messages_.onCommand(IDC_APPEARANCE_MENU, [this] {
    CNamedConfigurationFile configuration(files_);
    CTimestampAppearance(configuration).DoModal(hwnd());
  });
  messages_.onCommand(IDC_SHORTCUTS_MENU, [this] {
    CDlgKeyboardShortcuts shortcuts([this] { SaveMainConfiguration(files_); });
    logic_->AfterShortcutsDialog(shortcuts.DoModal(hwnd()) == IDOK);
  });
  messages_.onCommand(IDC_SAVE_AS, [this] { CDlgSaveConfigurationAs(files_, *questions_, *this).DoModal(hwnd()); });
  messages_.onCommand(IDC_OPEN_SAVED, [this] {
    IOpenFileDialog& dialog = links_.openFileDialog ? links_.openFileDialog(hwnd()) : *systemOpenFile_;
    OpenSavedConfiguration(files_, dialog, *questions_, *this);
  });
  messages_.onCommand(IDC_RESTORE_CONFIGURATION, [this] { RestoreDefaultConfiguration(files_, *questions_, *this); });

  const std::pair<int, const wchar_t*> links[] = {
      {IDC_RXPX_HELP, kHelpRxPx},         {IDC_OFFSET_HELP, kHelpOffset},     {IDC_CONFIGURATIONS_HELP, kHelpConfigurations},
      {IDC_WORD_CLIPBOARD_HELP, kHelpWordClipboard}, {IDC_GRUNDIG_LINK, kHelpGrundig}, {IDC_BUY_PEDAL_LINK, kHelpBuyPedal}};
  for (const auto& [id, address] : links)
    messages_.onControl(id, STN_CLICKED, [this, address = address] { OpenHelpPage(hwnd(), address); });
  messages_.on(WM_CTLCOLORSTATIC, [this](WPARAM wParam, LPARAM lParam) {
    return LinkColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                     {IDC_RXPX_HELP, IDC_OFFSET_HELP, IDC_CONFIGURATIONS_HELP, IDC_WORD_CLIPBOARD_HELP,
                      IDC_GRUNDIG_LINK, IDC_BUY_PEDAL_LINK});
  });
}

BOOL CDlgSettings::OnInitDialog() {
  questions_ = std::make_unique<Win32MessageBox>(hwnd(), kSettingsMessageCaption);
  boxes_ = std::make_unique<CMessageBoxes>(hwnd(), kSettingsMessageCaption);
  logic_ = std::make_unique<CSettingsDialogLogic>(files_, *questions_, *boxes_, *this);
  systemOpenFile_ = std::make_unique<Win32OpenFileDialog>(hwnd());

  RefreshKeyFields();
  for (int row = 0; row < static_cast<int>(kSettingsHotkeyRows.size()); ++row)
    Check(IDC_HOTKEY_DISABLE_FIRST + row, hotkeyDisabled[kSettingsHotkeyRows[row] - 1]);

  Check(playMode == 1 ? IDC_PLAYMODE_HOLD : playMode == 2 ? IDC_PLAYMODE_TOGGLE : IDC_PLAYMODE_LENGTH, true);
  FillCombo(IDC_JUMP_BACK, 0, 10);
  SendDlgItemMessageW(hwnd(), IDC_JUMP_BACK, CB_SETCURSEL, static_cast<WPARAM>(jumpBackSeconds), 0);
  FillCombo(IDC_PLAY_LENGTH, 0, 60);
  SelectExact(IDC_PLAY_LENGTH, playLengthSeconds);
  FillCombo(IDC_PX_SECONDS, 0, 10);
  FillCombo(IDC_RX_SECONDS, 0, 10);
  if (pxSeconds > 0) SelectExact(IDC_PX_SECONDS, pxSeconds);
  if (rxSeconds > 0) SelectExact(IDC_RX_SECONDS, rxSeconds);

  HWND sign = item(IDC_OFFSET_SIGN);
  SendMessageW(sign, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"+"));
  SendMessageW(sign, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"-"));
  const StartFromTexts startFrom = CSettingsDialogLogic::OpenStartFrom();
  SendMessageW(sign, CB_SETCURSEL, startFrom.sign == L"-" ? 1 : 0, 0);
  SetDlgItemTextW(hwnd(), IDC_OFFSET_HOURS, startFrom.hours.c_str());
  SetDlgItemTextW(hwnd(), IDC_OFFSET_MINUTES, startFrom.minutes.c_str());
  SetDlgItemTextW(hwnd(), IDC_OFFSET_SECONDS, startFrom.seconds.c_str());
  RefreshConfigurationFields();

  colorFrom_ = appearanceColorFrom;
  colorTo_ = appearanceColorTo;
  Check(IDC_ALWAYS_ON_TOP, alwaysOnTop != 0);
  Check(IDC_PHILIPS, philipsEquipment != 0);
  Check(IDC_SWITCH_PEDAL, switchPedalFfRew);
  Check(IDC_DISPLAY_REMAINING, displayTimeRemaining);
  Check(IDC_WORD_CLIPBOARD, useClipboardForWord != 0);

  CenterOnDesktop(hwnd());
  return TRUE;
}

void CDlgSettings::OnOK() {
  HWND sign = item(IDC_OFFSET_SIGN);
  const LRESULT index = SendMessageW(sign, CB_GETCURSEL, 0, 0);
  const std::wstring signText = index == 1 ? L"-" : L"+";
  const StartFromTexts startFrom{signText, Text(IDC_OFFSET_HOURS), Text(IDC_OFFSET_MINUTES), Text(IDC_OFFSET_SECONDS)};
  if (logic_->OnOk(startFrom, colorFrom_, colorTo_)) EndDialog(IDOK);
}

void CDlgSettings::OnCancel() {
  logic_->OnCancel();
  EndDialog(IDCANCEL);
}

void CDlgSettings::FillCombo(int id, int first, int last) {
  HWND combo = item(id);
  for (int value = first; value <= last; ++value) {
    const std::wstring text = std::to_wstring(value);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
}

void CDlgSettings::SelectExact(int id, int value) {
  const std::wstring text = std::to_wstring(value);
  const LRESULT index = SendDlgItemMessageW(hwnd(), id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(text.c_str()));
  if (index != CB_ERR) SendDlgItemMessageW(hwnd(), id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int CDlgSettings::ComboNumber(int id) const {
  HWND combo = item(id);
  const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return 0;
  wchar_t text[16] = {};
  if (SendMessageW(combo, CB_GETLBTEXTLEN, index, 0) >= 16) return 0;
  SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
  return _wtoi(text);
}

std::wstring CDlgSettings::Text(int id) const { return ItemText(hwnd(), id); }

void CDlgSettings::PickColor(int id, int& color) {
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = hwnd();
  choose.rgbResult = static_cast<COLORREF>(color);
  choose.lpCustColors = customColors_;
  choose.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!ChooseColorW(&choose)) return;
  color = static_cast<int>(choose.rgbResult);
  InvalidateRect(item(id), nullptr, TRUE);
}

LRESULT CDlgSettings::DrawColor(DRAWITEMSTRUCT* draw) {
  if (draw->CtlID != IDC_COLOR_FROM && draw->CtlID != IDC_COLOR_TO) return FALSE;
  const int color = draw->CtlID == IDC_COLOR_FROM ? colorFrom_ : colorTo_;
  HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(color));
  RECT r = draw->rcItem;
  DrawEdge(draw->hDC, &r, (draw->itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
  FillRect(draw->hDC, &r, brush);
  DeleteObject(brush);
  if (draw->itemState & ODS_FOCUS) DrawFocusRect(draw->hDC, &r);
  return TRUE;
}

void CDlgSettings::RefreshConfigurationFields() {
  SetDlgItemTextW(hwnd(), IDC_CURRENT_CONFIGURATION, currentConfigurationName.c_str());
  RefreshKeyFields();
}

void CDlgSettings::RefreshKeyFields() {
  for (int row = 0; row < static_cast<int>(kSettingsHotkeyRows.size()); ++row)
    SetDlgItemTextW(hwnd(), IDC_HOTKEY_FIELD_FIRST + row, HotkeyTable[kSettingsHotkeyRows[row] - 1].keyName.c_str());
}

void CDlgSettings::SetTimestampStartFields(const std::wstring& text) {
  for (int id : {IDC_OFFSET_HOURS, IDC_OFFSET_MINUTES, IDC_OFFSET_SECONDS}) SetDlgItemTextW(hwnd(), id, text.c_str());
}

void CDlgSettings::SetAlwaysOnTop(bool onTop) {
  if (links_.setAlwaysOnTop) links_.setAlwaysOnTop(onTop);
}

void CDlgSettings::ApplyColors(int from, int to) {
  if (links_.applyColors) links_.applyColors(from, to);
}

}  // namespace tolv
