#pragma once
// The settings dialog and the dialogs it opens, as windows over the logic of
// the configuration files, the hotkeys, the start offset and the conversions.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "tolv/app/win32/Wnd.h"
#include "tolv/config/DataFiles.h"
#include "tolv/config/files/SavedConfigurations.h"
#include "tolv/config/files/SettingsDialog.h"
#include "tolv/hotkeys/MessageBoxPort.h"
#include "tolv/hotkeys/RestoreDefaults.h"
#include "tolv/hotkeys/ShortcutsDialog.h"
#include "tolv/pedals/RawInput.h"

namespace tolv {

// Caption of the message boxes these dialogs show.
inline constexpr wchar_t kSettingsMessageCaption[] = L"Tolv";

// The product's web help, in the default browser.
void OpenHelpPage(HWND owner, const wchar_t* address);

// The system's open-file dialog.
class Win32OpenFileDialog : public IOpenFileDialog {
 public:
  explicit Win32OpenFileDialog(HWND owner) : owner_(owner) {}
  ChosenFile ChooseFile(const std::wstring& initialFolder) override;

 private:
  HWND owner_;
};

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

// "Change Hotkeys".
class CDlgChangeHotkeys : public CDialog {
 public:
  CDlgChangeHotkeys(IDataFiles& files, GetKeyPressed::RawInputReader reader = {});

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}  // Enter presses the default button "Change"
  void OnCancel() override { Done(); }

 private:
  std::wstring SelectedName() const;
  void Change();
  void Done();

  IDataFiles& files_;
  GetKeyPressed::RawInputReader reader_;
};

// "Keyboard Shortcuts Configuration".
class CDlgKeyboardShortcuts : public CDialog {
 public:
  explicit CDlgKeyboardShortcuts(IDataFiles& files);

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  void Fill();
  IDataFiles& files_;
  CShortcutsDialogLogic logic_;
};

// "Warning" before the maker's pedal components are switched on.
class DialogPhillipsWarning : public CDialog {
 public:
  DialogPhillipsWarning();
};

// "Save current configuration file".
class CDlgSaveConfigurationAs : public CDialog {
 public:
  CDlgSaveConfigurationAs(IDataFiles& files, IMessageBoxPort& messages, IConfigurationsGroup& group);

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  CTimestampCfgSaveAs logic_;
};

// "Conversions": every box is stored when clicked.
class CDlgConversions : public CDialog {
 public:
  CDlgConversions();

 protected:
  BOOL OnInitDialog() override;
};

// What the settings dialog reaches outside itself.
struct SettingsWindowLinks {
  std::function<void(bool)> setAlwaysOnTop;
  std::function<void(int from, int to)> applyColors;
  // The open-file dialog of "Open saved configurations"; empty, the system's.
  std::function<IOpenFileDialog&(HWND owner)> openFileDialog;
  GetKeyPressed::RawInputReader rawInputReader;
};

// "Settings" (menu command 32772). OK has written tolv3.cfg; Cancel has read it back.
class CDlgSettings : public CDialog, IConfigurationsGroup, IHotkeysGroup, public ISettingsTarget {
 public:
  CDlgSettings(IDataFiles& files, SettingsWindowLinks links);
  ~CDlgSettings() override;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void MapMessages();
  void FillCombo(int id, int first, int last);
  void SelectExact(int id, int value);
  int ComboNumber(int id) const;
  bool Checked(int id) const { return IsDlgButtonChecked(hwnd(), id) == BST_CHECKED; }
  void Check(int id, bool on) { CheckDlgButton(hwnd(), id, on ? BST_CHECKED : BST_UNCHECKED); }
  std::wstring Text(int id) const;
  void PickColor(int id, int& color);
  LRESULT DrawColor(DRAWITEMSTRUCT* item);

  // IConfigurationsGroup, IHotkeysGroup, ISettingsTarget
  void RefreshConfigurationFields() override;
  void RefreshKeyFields() override;
  void SetTimestampStartFields(const std::wstring& text) override;
  void SetAlwaysOnTop(bool onTop) override;
  void ApplyColors(int from, int to) override;

  IDataFiles& files_;
  SettingsWindowLinks links_;
  std::unique_ptr<IMessageBoxPort> questions_;
  std::unique_ptr<IMessageBoxes> boxes_;
  std::unique_ptr<CSettingsDialogLogic> logic_;
  std::unique_ptr<Win32OpenFileDialog> systemOpenFile_;
  int colorFrom_ = 0;
  int colorTo_ = 0;
  COLORREF customColors_[16] = {};
};

}  // namespace tolv
