// The settings dialog and the dialogs it opens, driven as a person would: the
// dialog runs modal on the test's thread while a second thread finds its
// windows, clicks, types and answers the message boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "testsupport/win32/WinTest.h"
#include "tolv/config/Settings.h"
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/config/files/SavedConfigurations.h"
#include "tolv/config/files/win32/ConfigDialogIds.h"
#include "tolv/config/files/win32/ConfigDialogs.h"
#include "tolv/config/win32/Win32DataFiles.h"
#include "tolv/hotkeys/Hotkeys.h"
#include "tolv/timestamps/TimestampStyle.h"

namespace tolv {
namespace {

constexpr DWORD kWait = 5000;

std::wstring Text(HWND w) {
  wchar_t text[512] = {};
  SendMessageTimeoutW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

// A visible dialog of this process with the given caption, other than `except`.
HWND FindDialog(const std::wstring& title, HWND except = nullptr) {
  struct Data {
    const std::wstring* title;
    HWND except, found;
  } data{&title, except, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* d = reinterpret_cast<Data*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        wchar_t cls[32] = {};
        GetClassNameW(w, cls, 32);
        if (pid != GetCurrentProcessId() || w == d->except || !IsWindowVisible(w) || lstrcmpW(cls, L"#32770") != 0)
          return TRUE;
        if (Text(w) != *d->title) return TRUE;
        d->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&data));
  return data.found;
}

HWND WaitDialog(const std::wstring& title, HWND except = nullptr) {
  HWND found = nullptr;
  kit::waitFor([&] { return (found = FindDialog(title, except)) != nullptr; }, kWait);
  return found;
}

// The text of a message box: its longest static text.
std::wstring MessageText(HWND box) {
  std::wstring longest;
  EnumChildWindows(
      box,
      [](HWND w, LPARAM p) -> BOOL {
        wchar_t cls[16] = {};
        GetClassNameW(w, cls, 16);
        auto* best = reinterpret_cast<std::wstring*>(p);
        const std::wstring t = Text(w);
        if (lstrcmpiW(cls, L"Static") == 0 && t.size() > best->size()) *best = t;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&longest));
  return longest;
}

// Waits for the message box of the dialogs, answers it with `button` and returns its text.
std::wstring AnswerMessageBox(int button = IDOK) {
  HWND box = WaitDialog(kSettingsMessageCaption);
  if (!box) return L"<no message box>";
  const std::wstring text = MessageText(box);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  kit::waitFor([&] { return !IsWindow(box); }, kWait);
  return text;
}

// A click as the mouse gives it; check boxes and radio buttons change their own state.
void Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
bool IsChecked(HWND dialog, int id) { return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
void Type(HWND dialog, int id, const std::wstring& text) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
void Pick(HWND dialog, int comboId, int index) {
  HWND combo = GetDlgItem(dialog, comboId);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}
void PressKey(HWND window, UINT key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}
bool WaitText(HWND dialog, int id, const std::wstring& expected) {
  return kit::waitFor([&] { return Text(GetDlgItem(dialog, id)) == expected; }, kWait);
}
bool WaitGone(HWND w) {
  return kit::waitFor([&] { return !IsWindow(w); }, kWait);
}

// Set in the run of this program that takes the pictures (see ScreenshotsWithCaptions).
bool TakingScreenshots() { return GetEnvironmentVariableW(L"TOLV_DIALOG_SHOTS", nullptr, 0) != 0; }

// Writes the screen area of the window to a 24-bit BMP beside the test.
void Screenshot(HWND w, const std::wstring& name) {
  if (!TakingScreenshots()) return;
  RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
  Sleep(100);  // the screen catches up with the last paint
  RECT r{};
  GetWindowRect(w, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = (width * 3 + 3) & ~3u, size = stride * height;
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size), 0, 0,
                        sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  if (FILE* f = _wfopen((kit::exeFolder() + name).c_str(), L"wb")) {
    fwrite(&file, sizeof(file), 1, f);
    fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, f);
    fwrite(bits, 1, size, f);
    fclose(f);
  }
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(folder + name + L"\\");
      else
        DeleteFileW((folder + name).c_str());
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class ConfigDialogs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Wine draws the captions itself when there is no window manager.
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
      RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 4);
      RegCloseKey(key);
    }
  }

  // Every test has a data folder of its own with a saved first-start configuration.
  const std::wstring root = kit::exeFolder() + kit::uniqueName(L"dialogs") + L"\\";
  const std::wstring folder = root + L"data\\";
  std::unique_ptr<Win32DataFiles> files;
  HWND frame = nullptr;  // stands in for the main window
  std::vector<std::wstring> failures;

  void SetUp() override {
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    files = std::make_unique<Win32DataFiles>(folder, root + L"user\\", true);
    ResetConfigurationToFirstStart();
    LoadMainConfiguration(*files);
    frame = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                            nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(frame);
    ResetConfigurationToFirstStart();
    RemoveTree(root);
  }

  SettingsWindowLinks Links() {
    SettingsWindowLinks links;
    links.setAlwaysOnTop = [this](bool on) {
      SetWindowPos(frame, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    };
    return links;
  }
  bool FrameOnTop() const { return (GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

  // Records a failed step of the driver; the test thread reports them.
  void Expect(bool ok, const wchar_t* what) {
    if (!ok) failures.push_back(what);
  }

  // Runs the dialog modal here while `drive` works it from a second thread.
  // The driver gets the dialog's window; a dialog left open is cancelled.
  // Wine keeps the owner of an open dialog below it, never topmost, so the
  // on-top test runs the dialog without an owner.
  INT_PTR Drive(CDialog& dialog, const std::wstring& title, const std::function<void(HWND)>& drive,
                bool ownedByFrame = true) {
    std::thread driver([&] {
      HWND w = WaitDialog(title);
      Expect(w != nullptr, L"the dialog appears");
      if (!w) return;
      drive(w);
      if (IsWindow(w)) {
        Expect(false, L"the driver closed the dialog");
        PostMessageW(w, WM_CLOSE, 0, 0);
      }
    });
    const INT_PTR result = dialog.DoModal(ownedByFrame ? frame : nullptr);
    driver.join();
    for (const auto& failure : failures) ADD_FAILURE() << std::string(failure.begin(), failure.end());
    return result;
  }
};

TEST_F(ConfigDialogs, SettingsDisableBoxChangedAndCancelled) {
  bool live = false;
  CDlgSettings settings(*files, Links());
  const INT_PTR result = Drive(settings, L"Settings", [&](HWND w) {
    Expect(Text(GetDlgItem(w, IDC_HOTKEY_FIELD_FIRST + 4)) == L"F5", L"RX shows F5");
    Expect(Text(GetDlgItem(w, IDC_CURRENT_CONFIGURATION)) == L"DEFAULT", L"current configuration");
    Screenshot(w, L"settings-dialog.bmp");
    Click(w, IDC_HOTKEY_DISABLE_FIRST + 4);  // RX
    live = kit::waitFor([&] { return hotkeyDisabled[HotkeyRx - 1]; }, kWait);
    Click(w, IDCANCEL);
    WaitGone(w);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(live) << "the flag is set as soon as the box is clicked";
  EXPECT_FALSE(hotkeyDisabled[HotkeyRx - 1]);
}

TEST_F(ConfigDialogs, SettingsHoursSixtyKeepsTheDialogOpen) {
  std::wstring message;
  bool stillOpen = false;
  CDlgSettings settings(*files, Links());
  const INT_PTR result = Drive(settings, L"Settings", [&](HWND w) {
    Type(w, IDC_OFFSET_HOURS, L"60");
    Click(w, IDOK);
    message = AnswerMessageBox();
    stillOpen = IsWindow(w) && IsWindowVisible(w);
    Type(w, IDC_OFFSET_HOURS, L"1");
    Click(w, IDOK);
    WaitGone(w);
  });
  EXPECT_EQ(message, L"Timestamps Start From: HOURS figure must be 0-59");
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(timestampOffset, 3600);
  // OK wrote the file: read back, the offset is there.
  timestampOffsetHours.clear();
  LoadMainConfiguration(*files);
  EXPECT_EQ(timestampOffsetHours, L"1");
}

TEST_F(ConfigDialogs, SettingsAlwaysOnTopAppliedAtOnceAndUndoneByCancel) {
  bool onTop = false;
  CDlgSettings settings(*files, Links());
  ASSERT_FALSE(FrameOnTop());
  Drive(settings, L"Settings", [&](HWND w) {
    Click(w, IDC_ALWAYS_ON_TOP);
    onTop = kit::waitFor([&] { return FrameOnTop(); }, kWait);
    Click(w, IDCANCEL);
    WaitGone(w);
  }, false);
  EXPECT_TRUE(onTop);
  EXPECT_FALSE(FrameOnTop());
  EXPECT_EQ(alwaysOnTop, 0);
}

TEST_F(ConfigDialogs, PhilipsWarningCancelKeepsTheBoxClear) {
  bool afterCancel = true, afterOk = false;
  CDlgSettings settings(*files, Links());
  Drive(settings, L"Settings", [&](HWND w) {
    Click(w, IDC_PHILIPS);
    HWND warning = WaitDialog(L"Warning");
    Expect(warning != nullptr, L"the warning appears");
    if (!warning) return;
    Screenshot(warning, L"philips-warning-dialog.bmp");
    Click(warning, IDCANCEL);
    WaitGone(warning);
    afterCancel = IsChecked(w, IDC_PHILIPS) || philipsEquipment;
    Click(w, IDC_PHILIPS);
    warning = WaitDialog(L"Warning");
    if (warning) Click(warning, IDOK);
    WaitGone(warning);
    afterOk = kit::waitFor([&] { return IsChecked(w, IDC_PHILIPS) && philipsEquipment == 1; }, kWait);
    Click(w, IDCANCEL);
    WaitGone(w);
  });
  EXPECT_FALSE(afterCancel);
  EXPECT_TRUE(afterOk);
  EXPECT_EQ(philipsEquipment, 0) << "Cancel of the settings reads the file back";
}

TEST_F(ConfigDialogs, ChangePlayToA) {
  std::wstring shown;
  CDlgChangeHotkeys dialog(*files);
  Drive(dialog, L"Change Hotkeys", [&](HWND w) {
    Expect(Text(GetDlgItem(w, IDC_HOTKEY_LIST)) == L"PLAY", L"PLAY is selected first");
    Expect(Text(GetDlgItem(w, IDC_CURRENT_HOTKEY)) == L"F1", L"PLAY's key is shown");
    Screenshot(w, L"change-hotkeys-dialog.bmp");
    Click(w, IDC_CHANGE);
    HWND press = WaitDialog(L"Hotkeys");
    Expect(press != nullptr, L"Press key appears");
    if (press) Screenshot(press, L"press-key-dialog.bmp");
    PressKey(press, 'A');
    WaitText(w, IDC_CURRENT_HOTKEY, L"A");
    shown = Text(GetDlgItem(w, IDC_CURRENT_HOTKEY));
    Click(w, IDC_DONE);
    WaitGone(w);
  });
  EXPECT_EQ(shown, L"A");
  EXPECT_EQ(HotkeyTable[HotkeyPlay - 1].virtualKey, 'A');
  // DONE wrote the main configuration.
  FillDefaultHotkeys();
  LoadMainConfiguration(*files);
  EXPECT_EQ(HotkeyTable[HotkeyPlay - 1].keyName, L"A");
}

TEST_F(ConfigDialogs, KeyInUseIsRefusedAndEscCancels) {
  std::wstring message;
  bool pressStillOpen = false;
  CDlgChangeHotkeys dialog(*files);
  Drive(dialog, L"Change Hotkeys", [&](HWND w) {
    Click(w, IDC_CHANGE);
    HWND press = WaitDialog(L"Hotkeys");
    PressKey(press, VK_F1);  // PLAY's own key
    message = AnswerMessageBox();
    pressStillOpen = IsWindow(press);
    PressKey(press, VK_ESCAPE);
    Expect(WaitGone(press), L"Esc closes Press key");
    Click(w, IDC_DONE);
    WaitGone(w);
  });
  EXPECT_EQ(message, L"ERROR: that key is already in use. ");
  EXPECT_TRUE(pressStillOpen);
  EXPECT_EQ(HotkeyTable[HotkeyPlay - 1].virtualKey, VK_F1);
  EXPECT_EQ(HotkeyTable[HotkeyPlay - 1].keyName, L"F1");
}

TEST_F(ConfigDialogs, SwapThroughATemporaryKey) {
  std::wstring refused;
  CDlgChangeHotkeys dialog(*files);
  Drive(dialog, L"Change Hotkeys", [&](HWND w) {
    auto change = [&](int index, UINT key, const std::wstring& label) {
      Pick(w, IDC_HOTKEY_LIST, index);
      Click(w, IDC_CHANGE);
      HWND press = WaitDialog(L"Hotkeys");
      PressKey(press, key);
      Expect(WaitText(w, IDC_CURRENT_HOTKEY, label), L"the new key is shown");
      WaitGone(press);
    };
    // Keyboard Shortcut 1 (F2) straight to F1: refused.
    Pick(w, IDC_HOTKEY_LIST, HotkeyShortcut1 - 1);
    Click(w, IDC_CHANGE);
    HWND press = WaitDialog(L"Hotkeys");
    PressKey(press, VK_F1);
    refused = AnswerMessageBox();
    PressKey(press, VK_ESCAPE);
    WaitGone(press);

    change(HotkeyShortcut1 - 1, 'A', L"A");
    change(HotkeyPlay - 1, VK_F2, L"F2");
    change(HotkeyShortcut1 - 1, VK_F1, L"F1");
    Click(w, IDC_DONE);
    WaitGone(w);
  });
  EXPECT_EQ(refused, L"ERROR: that key is already in use. ");
  EXPECT_EQ(HotkeyTable[HotkeyPlay - 1].keyName, L"F2");
  EXPECT_EQ(HotkeyTable[HotkeyShortcut1 - 1].keyName, L"F1");
  EXPECT_EQ(HotkeyTable[HotkeyShortcut1 - 1].virtualKey, VK_F1);
}

// Wine lists no HID-class device, so the record of the WM_INPUT message comes
// from a reader double: a pedal's report whose first byte is STOP's key.
TEST_F(ConfigDialogs, HidReportByteIsCaptured) {
  int reads = 0;
  CDlgChangeHotkeys dialog(*files, [&](HRAWINPUT input) -> std::optional<RawInputRecord> {
    ++reads;
    if (input != reinterpret_cast<HRAWINPUT>(0x5150)) return std::nullopt;
    return RawInputRecord{RawTypeHid, 2, 1, {0x73, 0x04}};
  });
  Drive(dialog, L"Change Hotkeys", [&](HWND w) {
    Click(w, IDC_CHANGE);
    HWND press = WaitDialog(L"Hotkeys");
    PostMessageW(press, WM_INPUT, RIM_INPUT, 0x5150);
    Expect(WaitText(w, IDC_CURRENT_HOTKEY, L"F4"), L"the byte becomes the key");
    Expect(WaitGone(press), L"Press key closes");
    Click(w, IDC_DONE);
    WaitGone(w);
  });
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(HotkeyTable[HotkeyPlay - 1].virtualKey, 0x73) << "no in-use test for a pedal's byte";
}

// Save As refuses a name that leaves the folder, keeps a valid one; the
// system's open-file dialog then brings the saved configuration back.
TEST_F(ConfigDialogs, SaveAsAndOpenSavedConfigurationRoundTrip) {
  timestampStyle.beforeHours = L"[";
  RebuildPatterns();
  std::wstring refused, afterRestore, afterOpen, styleAfterOpen;
  CDlgSettings settings(*files, Links());
  const INT_PTR result = Drive(settings, L"Settings", [&](HWND w) {
    Click(w, IDC_SAVE_AS);
    HWND saveAs = WaitDialog(L"Save current configuration file");
    Expect(saveAs != nullptr, L"Save As appears");
    if (!saveAs) return;
    Type(saveAs, IDC_CONFIGURATION_NAME, L"..\\escaped");
    Screenshot(saveAs, L"save-configuration-as-dialog.bmp");
    Click(saveAs, IDOK);
    refused = AnswerMessageBox();
    Expect(IsWindow(saveAs), L"Save As stays open");
    Type(saveAs, IDC_CONFIGURATION_NAME, L"Client B");
    Click(saveAs, IDOK);
    WaitGone(saveAs);
    WaitText(w, IDC_CURRENT_CONFIGURATION, L"Client B");

    Click(w, IDC_RESTORE_CONFIGURATION);
    AnswerMessageBox(IDYES);
    WaitText(w, IDC_CURRENT_CONFIGURATION, L"DEFAULT");
    afterRestore = Text(GetDlgItem(w, IDC_CURRENT_CONFIGURATION));

    Click(w, IDC_OPEN_SAVED);
    HWND open = WaitDialog(L"Open");
    Expect(open != nullptr, L"the open-file dialog appears");
    if (open) {
      const std::wstring path = folder + L"Configuration\\Client B";
      // The file name box of the explorer-style dialog.
      SendMessageW(GetDlgItem(open, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
      PostMessageW(open, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      WaitGone(open);
    }
    WaitText(w, IDC_CURRENT_CONFIGURATION, L"Client B");
    afterOpen = Text(GetDlgItem(w, IDC_CURRENT_CONFIGURATION));
    styleAfterOpen = timestampStyle.beforeHours;
    Click(w, IDOK);
    WaitGone(w);
  });
  EXPECT_EQ(refused, kConfigurationNameNotPlainMessage);
  EXPECT_FALSE(Exists(folder + L"escaped"));
  EXPECT_FALSE(Exists(root + L"escaped"));
  EXPECT_TRUE(Exists(folder + L"Configuration\\Client B"));
  EXPECT_EQ(afterRestore, L"DEFAULT");
  EXPECT_EQ(afterOpen, L"Client B");
  EXPECT_EQ(styleAfterOpen, L"[");
  EXPECT_EQ(result, IDOK);
}

TEST_F(ConfigDialogs, KeyboardShortcutsOkSavesTheTexts) {
  CDlgSettings settings(*files, Links());
  bool flagLive = false;
  Drive(settings, L"Settings", [&](HWND w) {
    Click(w, IDC_SHORTCUTS_MENU);
    HWND shortcuts = WaitDialog(L"Keyboard Shortcuts Configuration");
    Expect(shortcuts != nullptr, L"the shortcuts dialog appears");
    if (!shortcuts) return;
    Expect(Text(GetDlgItem(shortcuts, IDC_SHORTCUT_TEXT_FIRST)) == L"[unclear]", L"text 1");
    Expect(Text(GetDlgItem(shortcuts, IDC_SHORTCUT_TEXT_FIRST + 5)) == L"SPEED TOGGLE", L"row 6");
    Screenshot(shortcuts, L"keyboard-shortcuts-dialog.bmp");
    Type(shortcuts, IDC_SHORTCUT_TEXT_FIRST + 1, L"Q: *** ");
    Click(shortcuts, IDC_SHORTCUT_DISABLE_FIRST + 1);
    flagLive = kit::waitFor([&] { return hotkeyDisabled[HotkeyShortcut1]; }, kWait);
    Click(shortcuts, IDOK);
    WaitGone(shortcuts);
    Click(w, IDOK);
    WaitGone(w);
  });
  EXPECT_TRUE(flagLive);
  ResetConfigurationToFirstStart();
  LoadMainConfiguration(*files);
  EXPECT_EQ(HotkeyTable[HotkeyShortcut1].text, L"Q: *** ");
  EXPECT_TRUE(hotkeyDisabled[HotkeyShortcut1]);
}

TEST_F(ConfigDialogs, ConversionsBoxStoredAndWrittenOnOk) {
  CDlgSettings settings(*files, Links());
  ASSERT_EQ(convertMp3ToWav, 1);
  Drive(settings, L"Settings", [&](HWND w) {
    Click(w, IDC_CONVERSIONS_MENU);
    HWND conversions = WaitDialog(L"Conversions");
    Expect(conversions != nullptr, L"the conversions dialog appears");
    if (!conversions) return;
    Screenshot(conversions, L"conversions-dialog.bmp");
    Click(conversions, IDC_CONVERT_MP3);
    Expect(kit::waitFor([&] { return convertMp3ToWav == 0; }, kWait), L"stored when clicked");
    Click(conversions, IDOK);
    WaitGone(conversions);
    // The file holds it even though the settings are cancelled.
    Click(w, IDCANCEL);
    WaitGone(w);
  });
  EXPECT_EQ(convertMp3ToWav, 0);
}

// Wine reads "Managed" when a process starts: the dialogs are photographed,
// with their captions, in a second run of the tests that show them.
TEST_F(ConfigDialogs, ScreenshotsWithCaptions) {
  if (TakingScreenshots()) GTEST_SKIP() << "this is the run that takes them";
  SetEnvironmentVariableW(L"TOLV_DIALOG_SHOTS", L"1");
  kit::Child child;
  ASSERT_TRUE(child.start(L"tolv_configfiles_win32_tests.exe",
                          L"--gtest_filter=ConfigDialogs.SettingsDisableBoxChangedAndCancelled:"
                          L"ConfigDialogs.PhilipsWarningCancelKeepsTheBoxClear:ConfigDialogs.ChangePlayToA:"
                          L"ConfigDialogs.SaveAsAndOpenSavedConfigurationRoundTrip:"
                          L"ConfigDialogs.KeyboardShortcutsOkSavesTheTexts:ConfigDialogs.ConversionsBoxStoredAndWrittenOnOk"));
  SetEnvironmentVariableW(L"TOLV_DIALOG_SHOTS", nullptr);
  EXPECT_EQ(child.wait(180000), 0);
  for (const wchar_t* name : {L"settings-dialog.bmp", L"philips-warning-dialog.bmp", L"change-hotkeys-dialog.bmp",
                              L"press-key-dialog.bmp", L"save-configuration-as-dialog.bmp",
                              L"keyboard-shortcuts-dialog.bmp", L"conversions-dialog.bmp"})
    EXPECT_TRUE(Exists(kit::exeFolder() + name)) << std::string(name, name + wcslen(name));
}

}  // namespace
}  // namespace tolv
