// The two start-up notices as real modal dialogs, clicked from a second
// thread the way a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "testsupport/win32/UiDriver.h"
#include "testsupport/win32/WinTest.h"
#include "tolv/app/win32/StartupNoticeIds.h"
#include "tolv/app/win32/StartupNotices.h"
#include "tolv/app/win32/Win32ProfileStore.h"
#include "tolv/app/win32/WebPage.h"

namespace tolv {
namespace {

std::vector<std::wstring> g_opened;
void RecordPage(const std::wstring& address) { g_opened.push_back(address); }

HWND FindDialog(const wchar_t* title) {
  HWND d = nullptr;
  if (!kit::waitFor([&] { return (d = FindWindowW(L"#32770", title)) != nullptr; }, 10000)) return nullptr;
  kit::waitFor([&] { return IsWindowVisible(d) != FALSE; }, 5000);
  return d;
}

class StartupNoticesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_opened.clear();
    SetWebPageOpener(&RecordPage);
  }
  void TearDown() override {
    SetWebPageOpener(nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
  }
  std::wstring key = L"Software\\" + kit::uniqueName(L"TolvNotices");
  CRegistryProfileStore profile{key};
  CSettingsStore settings{profile};
};

TEST_F(StartupNoticesTest, CodecNoticeStoresItsCheckBoxAtEveryClick) {
  int afterTick = -1, afterUntick = -1;
  std::wstring box;
  std::thread user([&] {
    HWND d = FindDialog(L"KL Codec");
    if (!d) return;
    kit::screenshot(d, L"kl-codec.bmp");
    box = kit::windowText(GetDlgItem(d, IDC_NOTICE_DONT_SHOW));
    SendMessageW(GetDlgItem(d, IDC_NOTICE_DONT_SHOW), BM_CLICK, 0, 0);
    afterTick = settings.DontShowKLCodecMsg();
    SendMessageW(GetDlgItem(d, IDC_NOTICE_DONT_SHOW), BM_CLICK, 0, 0);
    afterUntick = settings.DontShowKLCodecMsg();
    SendMessageW(GetDlgItem(d, IDC_NOTICE_DONT_SHOW), BM_CLICK, 0, 0);
    SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_NOTICE_LINK, STN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_NOTICE_LINK)));
    SendMessageW(GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
  });
  DlgKLCodec dialog(settings);
  dialog.DoModal(nullptr);
  user.join();
  EXPECT_EQ(box, L"Don`t show this message again");
  EXPECT_EQ(afterTick, 1);
  EXPECT_EQ(afterUntick, 0);
  EXPECT_EQ(settings.DontShowKLCodecMsg(), 1);
  EXPECT_EQ(g_opened, std::vector<std::wstring>{kKLCodecAddress});
}

TEST_F(StartupNoticesTest, MediaPlayerNoticeShowsItsTextAndOpensHelp) {
  std::wstring text, more;
  std::thread user([&] {
    HWND d = FindDialog(L"TOLV Error");
    if (!d) return;
    kit::screenshot(d, L"wmp-not-installed.bmp");
    text = kit::windowText(GetDlgItem(d, IDC_NOTICE_TEXT));
    more = kit::windowText(GetDlgItem(d, IDC_NOTICE_MORE));
    SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_NOTICE_LINK, STN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_NOTICE_LINK)));
    SendMessageW(GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
  });
  CMessageWMPNotInstalled dialog;
  EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
  user.join();
  EXPECT_EQ(text,
            L"It appears that Windows Media Player is not installed on your computer.  Tolv will now open but it may "
            L"not work correctly until Windows Media Player is installed.");
  EXPECT_EQ(more, L"For more information, please click");
  EXPECT_EQ(g_opened, std::vector<std::wstring>{kHelpAddress});
}

}  // namespace
}  // namespace tolv
