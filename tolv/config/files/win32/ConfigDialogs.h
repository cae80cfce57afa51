#pragma once
// The settings dialog and the dialogs it opens, as windows over the logic of
// the configuration files, the start offset and the conversions; the hotkey
// editing windows it opens are tolv/hotkeys/win32/HotkeyDialogs.h.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "tolv/app/win32/Wnd.h"
#include "tolv/config/DataFiles.h"
#include "tolv/config/files/SavedConfigurations.h"
#include "tolv/config/files/SettingsDialog.h"
#include "tolv/hotkeys/MessageBoxPort.h"
#include "tolv/hotkeys/RestoreDefaults.h"
#include "tolv/hotkeys/win32/HotkeyDialogs.h"

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
