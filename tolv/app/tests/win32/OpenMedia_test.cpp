// Opening media in the running player, driven from outside as a user would:
// the command line, the Open Remote File window and the file-open dialog of
// the menu, with a recording the test writes. Under Wine (ALSA null device)
// audio may run faster than real time: only "the position advances" counts.
#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>
#include <dlgs.h>

#include <cstdio>
#include <memory>
#include <string>

#include "testsupport/win32/UiDriver.h"
#include "testsupport/win32/WinTest.h"
#include "tolv/app/resource.h"
#include "tolv/playback/tests/win32/TestWav.h"
#include "tolv/playback/win32/OpenRemoteIds.h"

namespace tolv {
namespace {

constexpr wchar_t kFilesKey[] = L"Software\\Quenmark\\Tolv\\Files";

std::wstring Text(HWND w) {
  wchar_t text[512] = {};
  SendMessageTimeoutW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

class OpenMediaTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
      RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 4);
      RegCloseKey(key);
    }
  }
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kFilesKey);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder = std::wstring(temp) + kit::uniqueName(L"rec with spaces ");
    CreateDirectoryW(folder.c_str(), nullptr);
    wav = folder + L"\\My Talk.WAV";
    testing::WriteWavFile(wav, 20);
  }
  void TearDown() override {
    Close();
    RegDeleteTreeW(HKEY_CURRENT_USER, kFilesKey);
    DeleteFileW(wav.c_str());
    RemoveDirectoryW(folder.c_str());
  }

  void Start(const std::wstring& args) {
    child = std::make_unique<kit::Child>();
    ASSERT_TRUE(child->start(L"tolv.exe", args));
    pid = GetProcessId(child->handle());
    ASSERT_TRUE(kit::waitFor([&] { return (frame = kit::findTopLevel(pid, L"TolvMainFrame")) != nullptr; }, 20000));
    ASSERT_TRUE(kit::waitFor([&] { return (form = FindWindowExW(frame, nullptr, L"#32770", nullptr)) != nullptr; },
                             5000));
  }
  void Close() {
    if (frame) PostMessageW(frame, WM_CLOSE, 0, 0);
    if (child) {
      EXPECT_EQ(child->wait(15000), 0);
    }
    frame = form = nullptr;
  }
  HWND Control(int id) { return GetDlgItem(form, id); }
  int SliderPosition() {
    DWORD_PTR pos = 0;
    SendMessageTimeoutW(Control(IDC_POSITION_SLIDER), TBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000, &pos);
    return static_cast<int>(pos);
  }
  // The medium is loaded and playing: its name shows and the position moves on.
  void ExpectPlaying() {
    EXPECT_TRUE(kit::waitFor([&] { return Text(Control(IDC_FILE_NAME)) == L"My Talk.WAV"; }, 10000))
        << "the name label shows the medium";
    EXPECT_TRUE(IsWindowVisible(Control(IDC_MEDIA_PLAYER)));
    EXPECT_FALSE(IsWindowVisible(Control(IDC_VIDEO_PICTURE)));
    const int start = SliderPosition();
    EXPECT_TRUE(kit::waitFor([&] { return SliderPosition() >= start + 2; }, 10000)) << "position " << SliderPosition();
  }
  DWORD StoredPosition(const wchar_t* name) {
    DWORD value = 0xFFFFFFFF, size = sizeof(value);
    RegGetValueW(HKEY_CURRENT_USER, kFilesKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
  }

  std::wstring folder, wav;
  std::unique_ptr<kit::Child> child;
  DWORD pid = 0;
  HWND frame = nullptr;
  HWND form = nullptr;
};

TEST_F(OpenMediaTest, CommandLinePathPlaysItsPositionIsStoredOnCloseAndTheNextOpenResumesThere) {
  Start(L"\"" + wav + L"\"");
  ExpectPlaying();
  kit::screenshotWindow(frame, L"main-window-medium.bmp");
  const int reached = SliderPosition();
  Close();
  const DWORD stored = StoredPosition(L"my talk.wav");
  EXPECT_GE(stored, static_cast<DWORD>(reached));
  EXPECT_LE(stored, 20u);

  // The first position shown after the next open is already the stored one.
  Start(L"\"" + wav + L"\"");
  int first = 0;
  ASSERT_TRUE(kit::waitFor([&] { return (first = SliderPosition()) > 0; }, 10000));
  EXPECT_GE(first, static_cast<int>(stored));
}

TEST_F(OpenMediaTest, TheRemoteWindowShowsEmptyOpensOnOkAndHides) {
  Start(L"");
  PostMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_OPEN_REMOTE, 0), 0);
  HWND remote = nullptr;
  ASSERT_TRUE(kit::waitFor([&] { return (remote = kit::findTopLevel(pid, L"#32770", L"Open Remote File")) != nullptr; },
                           5000));
  EXPECT_EQ(Text(GetDlgItem(remote, IDC_REMOTE_GROUP)), L"Type Location of Remote File");
  EXPECT_EQ(Text(GetDlgItem(remote, IDC_REMOTE_CLICK)), L"and click Opening Files.");
  HWND location = GetDlgItem(remote, IDC_REMOTE_LOCATION);
  EXPECT_EQ(Text(location), L"");
  kit::screenshotWindow(remote, L"open-remote-file.bmp");

  // Cancel hides it; shown again, the location is empty again.
  SendMessageW(location, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"http://host/x.mp3"));
  PostMessageW(remote, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_TRUE(kit::waitFor([&] { return !IsWindowVisible(remote); }, 5000));
  PostMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_OPEN_REMOTE, 0), 0);
  ASSERT_TRUE(kit::waitFor([&] { return IsWindowVisible(remote) != FALSE; }, 5000));
  EXPECT_EQ(Text(location), L"");

  // OK with nothing typed only hides.
  PostMessageW(remote, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(kit::waitFor([&] { return !IsWindowVisible(remote); }, 5000));
  EXPECT_EQ(Text(Control(IDC_FILE_NAME)), L"");

  PostMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_OPEN_REMOTE, 0), 0);
  ASSERT_TRUE(kit::waitFor([&] { return IsWindowVisible(remote) != FALSE; }, 5000));
  SendMessageW(location, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wav.c_str()));
  PostMessageW(remote, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(kit::waitFor([&] { return !IsWindowVisible(remote); }, 5000));
  ExpectPlaying();
}

// The standard dialog of the menu, found and filled in as a user would.
TEST_F(OpenMediaTest, TheMenuDialogOpensTheChosenFile) {
  Start(L"");
  PostMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_FILE_OPEN, 0), 0);
  HWND dialog = nullptr;
  ASSERT_TRUE(kit::waitFor([&] { return (dialog = kit::findTopLevel(pid, L"#32770", L"Open")) != nullptr; }, 10000));
  HWND readOnly = GetDlgItem(dialog, chx1);
  EXPECT_TRUE(!readOnly || !IsWindowVisible(readOnly)) << "the read-only box is hidden";
  HWND name = GetDlgItem(dialog, cmb13);
  if (!name) name = GetDlgItem(dialog, edt1);
  ASSERT_TRUE(name);
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wav.c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  EXPECT_TRUE(kit::waitFor([&] { return !IsWindow(dialog); }, 10000));
  ExpectPlaying();
}

// Without the component (its library disabled for tolv.exe) the program
// still runs on the stand-in: no control in the video area, the placeholder
// stays, and an open ends in the open-error box instead of playing.
TEST_F(OpenMediaTest, WithoutTheComponentTheFormKeepsThePlaceholderAndAnOpenFails) {
  constexpr wchar_t kOverrides[] = L"Software\\Wine\\AppDefaults\\tolv.exe\\DllOverrides";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kOverrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, L"wmp", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
  RegCloseKey(key);
  Start(L"");
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\tolv.exe");
  EXPECT_EQ(Control(IDC_MEDIA_PLAYER), nullptr);
  EXPECT_TRUE(IsWindowVisible(Control(IDC_VIDEO_PICTURE)));
  PostMessageW(frame, WM_COMMAND, MAKEWPARAM(ID_OPEN_REMOTE, 0), 0);
  HWND remote = nullptr;
  ASSERT_TRUE(kit::waitFor([&] { return (remote = kit::findTopLevel(pid, L"#32770", L"Open Remote File")) != nullptr; },
                           5000));
  SendMessageW(GetDlgItem(remote, IDC_REMOTE_LOCATION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wav.c_str()));
  PostMessageW(remote, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  HWND box = nullptr;
  ASSERT_TRUE(kit::waitFor([&] { return (box = kit::findTopLevel(pid, L"#32770", L"Tolv")) != nullptr; }, 5000));
  EXPECT_EQ(Text(GetDlgItem(box, 0xFFFF)), L"Error opening the file! ");
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(kit::waitFor([&] { return !IsWindow(box); }, 5000));
  EXPECT_TRUE(IsWindowVisible(Control(IDC_VIDEO_PICTURE)));
}

}  // namespace
}  // namespace tolv
