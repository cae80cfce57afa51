#pragma once
// The hotkey editing windows over the logic of ChangeHotkeys.h and
// ShortcutsDialog.h: "Change Hotkeys", "Press key" and "Keyboard Shortcuts
// Configuration". Saving the configuration is the caller's: each dialog gets
// the function that writes the main configuration.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>

#include "tolv/app/win32/Wnd.h"
#include "tolv/hotkeys/ShortcutsDialog.h"
#include "tolv/pedals/RawInput.h"

namespace tolv {

// Caption of the message boxes these dialogs show.
inline constexpr wchar_t kHotkeyDialogCaption[] = L"Tolv";

using SaveMainConfigurationFn = std::function<void()>;

// "Press key": one key press or one HID report gives the code. It runs its
// own modal loop so that a key is looked at before the dialog's keyboard
// handling (Enter, Tab and the arrows are keys like any other).
class GetKeyPressed : public CDialog {
 public:
  using RawInputReader = std::function<std::optional<RawInputRecord>(HRAWINPUT)>;
  // The reader fetches the record of a WM_INPUT message (tests pass their own).
  explicit GetKeyPressed(RawInputReader reader = {});
  // IDOK with code(), or IDCANCEL.
  INT_PTR DoModal(HWND parent);
  uint8_t code() const { return code_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override { Finish(IDOK); }
  void OnCancel() override { Finish(IDCANCEL); }

 private:
  // True when the key ended the dialog.
  bool PreTranslateKey(const MSG& msg);
  void Finish(INT_PTR result);

  RawInputReader reader_;
  HWND parent_ = nullptr;
  uint8_t code_ = 0;
  INT_PTR result_ = IDCANCEL;
  bool done_ = false;
};

// "Change Hotkeys"; DONE writes the main configuration.
class CDlgChangeHotkeys : public CDialog {
 public:
  explicit CDlgChangeHotkeys(SaveMainConfigurationFn save, GetKeyPressed::RawInputReader reader = {});

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}  // Enter presses the default button "Change"
  void OnCancel() override { Done(); }

 private:
  std::wstring SelectedName() const;
  void Change();
  void Done();

  SaveMainConfigurationFn save_;
  GetKeyPressed::RawInputReader reader_;
};

// "Keyboard Shortcuts Configuration"; OK writes the main configuration.
class CDlgKeyboardShortcuts : public CDialog {
 public:
  explicit CDlgKeyboardShortcuts(SaveMainConfigurationFn save);

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  void Fill();
  SaveMainConfigurationFn save_;
  CShortcutsDialogLogic logic_;
};

}  // namespace tolv
