// The "Download New Version" window as a real modal dialog, worked from a
// second thread the way a user would.
#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>

#include "testsupport/win32/UiDriver.h"
#include "testsupport/win32/WinTest.h"
#include "tolv/app/win32/WebPage.h"
#include "tolv/update/win32/DlgDownload.h"
#include "tolv/update/win32/DlgDownloadIds.h"

namespace tolv {
namespace {

class MemoryProfile : public IProfileStore {
 public:
  std::map<std::wstring, int> ints;
  int GetProfileInt(const std::wstring& s, const std::wstring& n, int def) override {
    const auto it = ints.find(s + L"/" + n);
    return it == ints.end() ? def : it->second;
  }
  void WriteProfileInt(const std::wstring& s, const std::wstring& n, int v) override { ints[s + L"/" + n] = v; }
  std::optional<ProfileBytes> GetProfileBinary(const std::wstring&, const std::wstring&) override { return {}; }
  void WriteProfileBinary(const std::wstring&, const std::wstring&, const ProfileBytes&) override {}
  std::wstring GetProfileString(const std::wstring&, const std::wstring&, const std::wstring& def) override { return def; }
  void WriteProfileString(const std::wstring&, const std::wstring&, const std::wstring&) override {}
};

std::vector<std::wstring> g_opened;
void RecordPage(const std::wstring& address) { g_opened.push_back(address); }

class DownloadWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_opened.clear();
    SetWebPageOpener(&RecordPage);
  }
  void TearDown() override { SetWebPageOpener(nullptr); }
  MemoryProfile profile;
};

TEST_F(DownloadWindowTest, ShowsTheAnswerOnTwoLinesAndDontShowAgainStoresOne) {
  std::wstring heading, shown;
  int lines = 0, spacingRule = -1, storedAfterTick = -1, storedAfterUntick = -1;
  size_t openedBeforeClose = 0;
  bool stillOpenAfterDownloadNow = false;
  std::thread user([&] {
    HWND d = nullptr;
    if (!kit::waitFor([&] { return (d = FindWindowW(L"#32770", L"Download New Version")) != nullptr; }, 10000)) return;
    kit::waitFor([&] { return IsWindowVisible(d) != FALSE; }, 5000);
    HWND box = GetDlgItem(d, IDC_DOWNLOAD_ANSWER);
    heading = kit::windowText(GetDlgItem(d, IDC_DOWNLOAD_TEXT));
    shown = kit::windowText(box);
    lines = static_cast<int>(SendMessageW(box, EM_GETLINECOUNT, 0, 0));
    PARAFORMAT2 format{};
    format.cbSize = sizeof(format);
    SendMessageW(box, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
    spacingRule = format.bLineSpacingRule;
    kit::screenshot(d, L"download.bmp");
    SendMessageW(GetDlgItem(d, IDC_DOWNLOAD_DONT_SHOW), BM_CLICK, 0, 0);
    storedAfterTick = profile.GetProfileInt(L"Settings", L"UpgradeShow", -1);
    SendMessageW(GetDlgItem(d, IDC_DOWNLOAD_DONT_SHOW), BM_CLICK, 0, 0);
    storedAfterUntick = profile.GetProfileInt(L"Settings", L"UpgradeShow", -1);
    SendMessageW(GetDlgItem(d, IDC_DOWNLOAD_DONT_SHOW), BM_CLICK, 0, 0);
    SendMessageW(GetDlgItem(d, IDC_DOWNLOAD_NOW), BM_CLICK, 0, 0);
    openedBeforeClose = g_opened.size();
    stillOpenAfterDownloadNow = IsWindow(d) && IsWindowVisible(d);
    SendMessageW(GetDlgItem(d, IDC_DOWNLOAD_LATER), BM_CLICK, 0, 0);
  });
  CDownloadOffer(nullptr, profile).ShowDownloadWindow(ExpandLineBreaks(L"Version 5.0 is out.\\nIt is free for you."));
  user.join();

  EXPECT_EQ(heading, L"This version of Tolv is out of date and must be updated free.");
  EXPECT_EQ(lines, 2);
  EXPECT_NE(shown.find(L"Version 5.0 is out."), std::wstring::npos);
  EXPECT_EQ(shown.find(L"\\n"), std::wstring::npos);
  EXPECT_EQ(spacingRule, 2) << "double line spacing";
  EXPECT_EQ(storedAfterTick, 1);
  EXPECT_EQ(storedAfterUntick, 0);
  EXPECT_EQ(profile.GetProfileInt(L"Settings", L"UpgradeShow", -1), 1);
  EXPECT_EQ(openedBeforeClose, 1u);
  EXPECT_TRUE(stillOpenAfterDownloadNow);
  EXPECT_EQ(g_opened, std::vector<std::wstring>{kInstallerDownloadAddress});
}

}  // namespace
}  // namespace tolv
