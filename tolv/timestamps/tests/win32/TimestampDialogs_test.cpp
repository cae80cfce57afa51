// "Timestamps Appearance" and "Add timestamps automatically" as real modal
// dialogs, clicked from a second thread the way a typist would, against a
// named configuration in a folder of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "testsupport/win32/UiDriver.h"
#include "testsupport/win32/WinTest.h"
#include "tolv/config/Settings.h"
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/config/files/NamedConfigurationFile.h"
#include "tolv/config/win32/Win32DataFiles.h"
#include "tolv/timestamps/win32/TimestampDialogIds.h"
#include "tolv/timestamps/win32/TimestampDialogs.h"

namespace tolv {
namespace {

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
bool Checked(HWND dialog, int id) { return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

class TimestampDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = kit::freshFolder(L"named");
    files = Win32DataFiles(folder, folder, true);
    files.createFolder(ConfigurationFolderPath(files));
    currentConfigurationName = L"CLIENT A";
    ResetTimestampStyleAndIntervals();
    SaveNamedConfiguration(files);
  }
  void TearDown() override {
    ResetTimestampStyleAndIntervals();
    currentConfigurationName = L"DEFAULT";
    kit::removeFolder(folder);
  }

  // Runs the dialog modally while user() works it from another thread.
  void Run(CDialog& dialog, const wchar_t* title, const std::function<void(HWND)>& user) {
    std::thread typist([&] {
      HWND window = nullptr;
      if (!kit::waitFor([&] { return (window = FindWindowW(L"#32770", title)) != nullptr; }, 10000)) return;
      kit::waitFor([&] { return IsWindowVisible(window) != FALSE; }, 5000);
      user(window);
    });
    dialog.DoModal(nullptr);
    typist.join();
  }

  std::wstring folder;
  Win32DataFiles files{L"", L""};
  CNamedConfigurationFile configuration{files};
};

TEST_F(TimestampDialogsTest, AppearanceOkSavesTheEditedStyleIntoTheNamedConfiguration) {
  CTimestampAppearance dialog(configuration);
  std::wstring previewAtStart, previewAfter;
  bool oneDigitAfterHide = true;
  Run(dialog, L"Timestamps Appearance", [&](HWND d) {
    previewAtStart = kit::windowText(GetDlgItem(d, IDC_TSA_PREVIEW));
    kit::screenshot(d, L"timestamp-appearance.bmp");
    Click(d, IDC_TSA_ONE_DIGIT_HOURS);
    Click(d, IDC_TSA_HIDE_HOURS);  // clears "include hours" and the one-digit box on the screen too
    oneDigitAfterHide = Checked(d, IDC_TSA_ONE_DIGIT_HOURS) || Checked(d, IDC_TSA_INCLUDE_HOURS);
    SetDlgItemTextW(d, IDC_TSA_AFTER_SECONDS, L".");
    previewAfter = kit::windowText(GetDlgItem(d, IDC_TSA_PREVIEW));
    Click(d, IDOK);
  });
  EXPECT_EQ(previewAtStart, L"_HH:MM:SS_");
  EXPECT_FALSE(oneDigitAfterHide);
  EXPECT_EQ(previewAfter, L"_:MM:SS.");
  EXPECT_EQ(timestampStyle.hideHours, 1);

  ResetTimestampStyleAndIntervals();
  ASSERT_TRUE(LoadNamedConfiguration(files));
  EXPECT_EQ(timestampStyle.hideHours, 1);
  EXPECT_EQ(timestampStyle.includeHours, 0);
  EXPECT_EQ(timestampStyle.afterSeconds, L".");
}

TEST_F(TimestampDialogsTest, AppearanceCancelReloadsTheNamedConfiguration) {
  CTimestampAppearance dialog(configuration);
  int boldWhileOpen = -1;
  Run(dialog, L"Timestamps Appearance", [&](HWND d) {
    Click(d, IDC_TSA_BOLD);
    boldWhileOpen = timestampStyle.boldTimestamps;  // edited live
    SetDlgItemTextW(d, IDC_TSA_BEFORE_HOURS, L"[");
    Click(d, IDCANCEL);
  });
  EXPECT_EQ(boldWhileOpen, 1);
  EXPECT_EQ(timestampStyle.boldTimestamps, 0);
  EXPECT_EQ(timestampStyle.beforeHours, L"_");
}

TEST_F(TimestampDialogsTest, AutomaticTimestampsOkStoresTheBoxesAndCancelUndoesTheComboBoxes) {
  intervalSeconds = 30;
  SaveNamedConfiguration(files);
  {
    CAutotimestampConfig dialog(configuration);
    bool delayEnabledBefore = true, delayEnabledAfter = false;
    std::wstring interval;
    Run(dialog, L"Add timestamps automatically", [&](HWND d) {
      interval = kit::windowText(GetDlgItem(d, IDC_ATS_INTERVAL));
      delayEnabledBefore = IsWindowEnabled(GetDlgItem(d, IDC_ATS_DELAY)) != FALSE;
      Click(d, IDC_ATS_EVERY);
      delayEnabledAfter = IsWindowEnabled(GetDlgItem(d, IDC_ATS_DELAY)) != FALSE;
      Click(d, IDC_ATS_PARAGRAPH);
      kit::screenshot(d, L"autotimestamp-config.bmp");
      Click(d, IDOK);
    });
    EXPECT_EQ(interval, L"30");
    EXPECT_FALSE(delayEnabledBefore);
    EXPECT_TRUE(delayEnabledAfter);
    EXPECT_EQ(intervalTimestamps, 1);
  }
  {
    CAutotimestampConfig dialog(configuration);
    int storedAtOnce = 0;
    Run(dialog, L"Add timestamps automatically", [&](HWND d) {
      HWND combo = GetDlgItem(d, IDC_ATS_INTERVAL);
      SendMessageW(combo, CB_SETCURSEL, 0, 0);  // "2", as a choice in the list
      SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_ATS_INTERVAL, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
      storedAtOnce = intervalSeconds;
      Click(d, IDCANCEL);
    });
    EXPECT_EQ(storedAtOnce, 2);
    EXPECT_EQ(intervalSeconds, 30);
    EXPECT_EQ(intervalTimestamps, 1) << "saved by the first dialog's OK";
  }
}

}  // namespace
}  // namespace tolv
