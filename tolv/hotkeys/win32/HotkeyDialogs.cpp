#include "tolv/hotkeys/win32/HotkeyDialogs.h"

#include <array>
#include <string>
#include <utility>

#include "tolv/app/win32/WebPage.h"
#include "tolv/hotkeys/ChangeHotkeys.h"
#include "tolv/hotkeys/win32/HotkeyDialogIds.h"
#include "tolv/pedals/win32/Win32RawInput.h"

namespace tolv {
namespace {

constexpr wchar_t kHelpHotkeys[] = L"https://www.quenmark.com/tolv/help/hotkeys";

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

GetKeyPressed::RawInputReader OrDefault(GetKeyPressed::RawInputReader reader) {
  if (reader) return reader;
  return [](HRAWINPUT input) { return ReadRawInput(input); };
}

}  // namespace

// --- Press key ---

GetKeyPressed::GetKeyPressed(RawInputReader reader) : CDialog(IDD_GET_KEY_PRESSED), reader_(OrDefault(std::move(reader))) {
  messages_.on(WM_INPUT, [this](WPARAM wParam, LPARAM lParam) -> LRESULT {
    const auto record = reader_(reinterpret_cast<HRAWINPUT>(lParam));
    DefWindowProcW(hwnd(), WM_INPUT, wParam, lParam);
    if (const auto key = record ? CapturedKey(*record) : std::nullopt) {
      // A pedal's byte is taken as it is, even when a hotkey already has it.
      code_ = *key;
      Finish(IDOK);
    }
    return 0;
  });
}

BOOL GetKeyPressed::OnInitDialog() {
  RegisterHidDevicesForCapture(hwnd());
  CenterOnDesktop(hwnd());
  return TRUE;
}

INT_PTR GetKeyPressed::DoModal(HWND parent) {
  parent_ = parent;
  done_ = false;
  result_ = IDCANCEL;
  if (!Create(parent)) return -1;
  if (parent) EnableWindow(parent, FALSE);
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  SetFocus(hwnd());
  MSG msg;
  while (!done_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      Finish(IDCANCEL);
      break;
    }
    const bool ours = hwnd() && (msg.hwnd == hwnd() || IsChild(hwnd(), msg.hwnd));
    if (ours && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && PreTranslateKey(msg)) continue;
    if (hwnd() && IsDialogMessageW(hwnd(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return result_;
}

bool GetKeyPressed::PreTranslateKey(const MSG& msg) {
  const auto key = static_cast<uint8_t>(msg.wParam);
  if (KeyInUse(key)) {
    MessageBoxW(hwnd(), kKeyInUseMessage, kHotkeyDialogCaption, MB_OK | MB_ICONSTOP);
    return false;  // still the dialog's own keys: Esc cancels
  }
  // Esc keeps its meaning of the dialog's keyboard: it cancels.
  if (key == VK_ESCAPE) return false;
  code_ = key;
  Finish(IDOK);
  return true;
}

void GetKeyPressed::Finish(INT_PTR result) {
  if (done_) return;
  done_ = true;
  result_ = result;
  if (parent_) EnableWindow(parent_, TRUE);
  DestroyWindow();
  if (parent_) SetActiveWindow(parent_);
}

// --- Change Hotkeys ---

CDlgChangeHotkeys::CDlgChangeHotkeys(SaveMainConfigurationFn save, GetKeyPressed::RawInputReader reader)
    : CDialog(IDD_CHANGE_HOTKEYS), save_(std::move(save)), reader_(std::move(reader)) {
  messages_.onControl(IDC_HOTKEY_LIST, CBN_SELCHANGE, [this] {
    const std::wstring name = SelectedName();
    if (!name.empty()) SetDlgItemTextW(hwnd(), IDC_CURRENT_HOTKEY, CurrentHotkeyLabel(name).c_str());
  });
  messages_.onCommand(IDC_CHANGE, [this] { Change(); });
  messages_.onCommand(IDC_DONE, [this] { Done(); });
}

BOOL CDlgChangeHotkeys::OnInitDialog() {
  HWND list = item(IDC_HOTKEY_LIST);
  for (const auto& name : HotkeyListNames()) SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  SendMessageW(list, CB_SETCURSEL, 0, 0);
  SetDlgItemTextW(hwnd(), IDC_CURRENT_HOTKEY, CurrentHotkeyLabel(SelectedName()).c_str());
  return TRUE;
}

std::wstring CDlgChangeHotkeys::SelectedName() const {
  HWND list = item(IDC_HOTKEY_LIST);
  const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return {};
  std::wstring text(static_cast<size_t>(SendMessageW(list, CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
  text.resize(static_cast<size_t>(SendMessageW(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

void CDlgChangeHotkeys::Change() {
  const std::wstring name = SelectedName();
  if (name.empty()) return;
  GetKeyPressed press(reader_);
  if (press.DoModal(hwnd()) != IDOK) return;
  SetDlgItemTextW(hwnd(), IDC_CURRENT_HOTKEY, AssignHotkey(name, press.code()).c_str());
}

void CDlgChangeHotkeys::Done() {
  if (save_) save_();
  EndDialog(IDOK);
}

// --- Keyboard Shortcuts Configuration ---

CDlgKeyboardShortcuts::CDlgKeyboardShortcuts(SaveMainConfigurationFn save)
    : CDialog(IDD_KEYBOARD_SHORTCUTS), save_(save), logic_(std::move(save)) {
  for (int row = 0; row < kShortcutRows; ++row)
    messages_.onCommand(IDC_SHORTCUT_DISABLE_FIRST + row, [this, row] {
      logic_.OnDisableClicked(row, IsDlgButtonChecked(hwnd(), IDC_SHORTCUT_DISABLE_FIRST + row) == BST_CHECKED);
    });
  messages_.onCommand(IDC_SHORTCUTS_HELP, [this] { OpenWebPage(hwnd(), kHelpHotkeys); });
  messages_.onCommand(IDC_SHORTCUTS_CHANGE_HOTKEYS, [this] {
    CDlgChangeHotkeys(save_).DoModal(hwnd());
    Fill();
  });
}

BOOL CDlgKeyboardShortcuts::OnInitDialog() {
  MakeLink(item(IDC_SHORTCUTS_HELP));
  Fill();
  return TRUE;
}

void CDlgKeyboardShortcuts::Fill() {
  const auto rows = logic_.Open();
  for (int row = 0; row < kShortcutRows; ++row) {
    SetDlgItemTextW(hwnd(), IDC_SHORTCUT_TEXT_FIRST + row, rows[row].left.c_str());
    SetDlgItemTextW(hwnd(), IDC_SHORTCUT_KEY_FIRST + row, rows[row].keyName.c_str());
    CheckDlgButton(hwnd(), IDC_SHORTCUT_DISABLE_FIRST + row, rows[row].disabled ? BST_CHECKED : BST_UNCHECKED);
  }
}

void CDlgKeyboardShortcuts::OnOK() {
  std::array<std::wstring, kShortcutTexts> texts;
  for (int row = 0; row < kShortcutTexts; ++row) texts[row] = ItemText(hwnd(), IDC_SHORTCUT_TEXT_FIRST + row);
  logic_.OnOk(texts);
  EndDialog(IDOK);
}

}  // namespace tolv
