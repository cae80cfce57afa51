// Start and end of the real program: log records, notices, the command line,
// the keyboard hook against another process's window, and the configuration
// kept from one run to the next. Each test runs its own copy of tolv.exe in a
// folder of its own (configuration files beside the program, log.txt in the
// working directory).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "testsupport/win32/UiDriver.h"
#include "testsupport/win32/WinTest.h"
#include "tolv/app/resource.h"
#include "tolv/app/win32/StartupNoticeIds.h"
#include "tolv/config/Settings.h"
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/config/win32/Win32DataFiles.h"
#include "tolv/hotkeys/Hotkeys.h"
#include "tolv/playback/tests/win32/TestWav.h"

namespace tolv {
namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Quenmark\\Tolv\\Settings";
constexpr UINT kTypeKey = WM_APP + 1;  // hotkey_typist: wParam key, lParam 0 down / 1 up

std::wstring Text(HWND w) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

void SetDontShowKLCodecMsg(const DWORD* value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  if (value)
    RegSetValueExW(key, L"DontShowKLCodecMsg", 0, REG_DWORD, reinterpret_cast<const BYTE*>(value), sizeof(*value));
  else
    RegDeleteValueW(key, L"DontShowKLCodecMsg");
  RegCloseKey(key);
}

// -1 when missing.
long StoredDontShowKLCodecMsg() {
  DWORD value = 0, size = sizeof(value);
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"DontShowKLCodecMsg", RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS)
    return -1;
  return static_cast<long>(value);
}

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The message part of a log.txt line ("date time LEVEL [tid] [func@line] message").
std::string MessageOf(const std::string& line) {
  const std::size_t at = line.find("] [");
  const std::size_t end = at == std::string::npos ? std::string::npos : line.find("] ", at + 3);
  return end == std::string::npos ? line : line.substr(end + 2);
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = kit::exeFolder() + kit::uniqueName(L"tolv_run") + L"\\";
    kit::removeFolder(folder);  // left by an earlier run that ended early
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    for (const wchar_t* file : {L"tolv.exe", L"cfgmgr32.dll", L"setupapi.dll"})
      ASSERT_TRUE(CopyFileW((kit::exeFolder() + file).c_str(), (folder + file).c_str(), FALSE)) << Narrow(file);
    // The update service is asked at every start: here nobody answers, at once.
    SetEnvironmentVariableW(L"TOLV_UPDATE_SERVICE", L"http://127.0.0.1:9");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quenmark\\Tolv");
  }

  void TearDown() override {
    if (frame) PostMessageW(frame, WM_CLOSE, 0, 0);
    if (process) {
      if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
      CloseHandle(process);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quenmark\\Tolv");
    kit::removeFolder(folder);
  }

  // Starts the copy with the arguments, working directory = its folder.
  void Start(const std::wstring& args) {
    std::wstring cmd = L"\"" + folder + L"tolv.exe\"";
    if (!args.empty()) cmd += L" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi));
    CloseHandle(pi.hThread);
    process = pi.hProcess;
    pid = pi.dwProcessId;
  }
  void WaitForFrame() {
    ASSERT_TRUE(kit::waitFor([&] { return (frame = kit::findTopLevel(pid, L"TolvMainFrame")) != nullptr; }, 20000));
  }
  // Exit code, -1 on time-out.
  long WaitForExit(DWORD ms) {
    if (WaitForSingleObject(process, ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return static_cast<long>(code);
  }
  void Close() {
    PostMessageW(frame, WM_CLOSE, 0, 0);
    frame = nullptr;
    ASSERT_EQ(WaitForExit(15000), 0);
  }
  std::vector<std::string> LogMessages() {
    std::vector<std::string> messages;
    for (const std::string& line : Lines(ReadFile(folder + L"log.txt"))) messages.push_back(MessageOf(line));
    return messages;
  }
  IDataFiles& Files() {
    if (!files) files = std::make_unique<Win32DataFiles>(folder, folder, true);
    return *files;
  }

  std::wstring folder;
  HANDLE process = nullptr;
  DWORD pid = 0;
  HWND frame = nullptr;
  std::unique_ptr<Win32DataFiles> files;
};

const std::string kCodecRecord = "theApp.GetProfileIntW(_T(\"Settings\"), _T(\"DontShowKLCodecMsg\"), 0) == 0";

TEST_F(StartupTest, FirstStartLogsAndShowsTheCodecNoticeWhoseBoxStoresItsStateAtOnce) {
  Start(L"");
  HWND notice = nullptr;
  ASSERT_TRUE(kit::waitFor([&] { return (notice = kit::findTopLevel(pid, L"#32770", L"KL Codec")) != nullptr; }, 20000));
  // The notice comes after the main frame and its view.
  EXPECT_NE(kit::findTopLevel(pid, L"TolvMainFrame"), nullptr);
  EXPECT_EQ(LogMessages(), std::vector<std::string>{kCodecRecord});
  EXPECT_NE(Text(GetDlgItem(notice, IDC_NOTICE_TEXT)).find(L"We strongly recommend you install KL Codec"),
            std::wstring::npos);

  HWND box = GetDlgItem(notice, IDC_NOTICE_DONT_SHOW);
  EXPECT_EQ(Text(box), L"Don`t show this message again");
  EXPECT_EQ(StoredDontShowKLCodecMsg(), -1);
  SendMessageW(box, BM_CLICK, 0, 0);
  EXPECT_TRUE(kit::waitFor([] { return StoredDontShowKLCodecMsg() == 1; }, 5000));
  SendMessageW(box, BM_CLICK, 0, 0);
  EXPECT_TRUE(kit::waitFor([] { return StoredDontShowKLCodecMsg() == 0; }, 5000));
  SendMessageW(box, BM_CLICK, 0, 0);
  EXPECT_TRUE(kit::waitFor([] { return StoredDontShowKLCodecMsg() == 1; }, 5000));
  PostMessageW(notice, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(kit::waitFor([&] { return !IsWindow(notice); }, 5000));
  WaitForFrame();
  Close();

  // The next start shows nothing and logs nothing more.
  CloseHandle(process);
  process = nullptr;
  Start(L"");
  WaitForFrame();
  // The form's initialisation and any notice come before this answers.
  SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  EXPECT_EQ(kit::findTopLevel(pid, L"#32770", L"KL Codec"), nullptr);
  EXPECT_EQ(LogMessages(), std::vector<std::string>{kCodecRecord});
}

TEST_F(StartupTest, StoredDontShowOfZeroShowsTheNoticeAndOneDoesNot) {
  for (DWORD stored : {0u, 1u}) {
    SetDontShowKLCodecMsg(&stored);
    DeleteFileW((folder + L"log.txt").c_str());
    Start(L"");
    WaitForFrame();
    if (stored == 0) {
      HWND notice = nullptr;
      ASSERT_TRUE(kit::waitFor([&] { return (notice = kit::findTopLevel(pid, L"#32770", L"KL Codec")) != nullptr; }, 10000));
      EXPECT_EQ(LogMessages(), std::vector<std::string>{kCodecRecord});
      PostMessageW(notice, WM_COMMAND, IDOK, 0);
    } else {
      SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
      EXPECT_EQ(kit::findTopLevel(pid, L"#32770", L"KL Codec"), nullptr);
      EXPECT_TRUE(LogMessages().empty());
    }
    Close();
    CloseHandle(process);
    process = nullptr;
  }
}

TEST_F(StartupTest, MissingCommandLinePathEndsTheProgramAfterTheFrameworksMessage) {
  const DWORD one = 1;
  SetDontShowKLCodecMsg(&one);
  const std::wstring missing = folder + L"no such file.wav";
  Start(L"\"" + missing + L"\"");
  HWND box = nullptr;
  ASSERT_TRUE(kit::waitFor([&] { return (box = kit::findTopLevel(pid, L"#32770", L"Tolv")) != nullptr; }, 20000));
  const std::wstring text = Text(GetDlgItem(box, 0xFFFF));
  EXPECT_NE(text.find(missing), std::wstring::npos) << Narrow(text);
  EXPECT_NE(text.find(L"Cannot find this file."), std::wstring::npos) << Narrow(text);
  EXPECT_EQ(kit::findTopLevel(pid, L"TolvMainFrame"), nullptr) << "no main window is ever shown";
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(WaitForExit(10000), 1);
  EXPECT_EQ(LogMessages(), std::vector<std::string>{"!ProcessShellCommand(cmdInfo)"});
}

// Settings read at start reach the frame; the configuration is written again
// when the program ends.
TEST_F(StartupTest, ConfigurationIsReadAtStartAndSavedAtExit) {
  const DWORD one = 1;
  SetDontShowKLCodecMsg(&one);
  ResetConfigurationToFirstStart();
  alwaysOnTop = 1;
  appearanceColorFrom = 0x0091E6;
  appearanceColorTo = 0x64C8F8;
  HotkeyTable[HotkeyTimeStamp - 1].virtualKey = VK_F7;
  ASSERT_TRUE(Files().createFolder(ConfigurationFolderPath(Files())));
  SaveMainConfiguration(Files());
  ResetConfigurationToFirstStart();

  Start(L"");
  WaitForFrame();
  SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  EXPECT_NE(GetWindowLongPtrW(frame, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "\"Always on top\" from the file";
  // Nothing holds the file while the program runs; the end writes it anew.
  ASSERT_TRUE(DeleteFileW((folder + L"tolv3.cfg").c_str()));
  Close();

  ASSERT_TRUE(Files().canOpen(MainConfigurationPath(Files())));
  LoadMainConfiguration(Files());
  EXPECT_EQ(alwaysOnTop, 1);
  EXPECT_EQ(appearanceColorFrom, 0x0091E6);
  EXPECT_EQ(appearanceColorTo, 0x64C8F8);
  EXPECT_EQ(HotkeyTable[HotkeyTimeStamp - 1].virtualKey, VK_F7);
  ResetConfigurationToFirstStart();
}

// The hotkeys work while another process's window has the focus: the typist's
// editor (hotkey_typist.exe) types the keys through the system's input.
class HotkeyStartupTest : public StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    const DWORD one = 1;
    SetDontShowKLCodecMsg(&one);
    BeforeStart();
    Start(startArgs);
    WaitForFrame();
    SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    const std::wstring typistClass = kit::uniqueName(L"StartupTypist");
    ASSERT_TRUE(typist.start(L"hotkey_typist.exe", typistClass));
    ASSERT_TRUE(kit::waitFor(
        [&] {
          editor = FindWindowW(typistClass.c_str(), nullptr);
          return editor && Text(editor).rfind(L"R ", 0) == 0;
        },
        10000));
    edit = FindWindowExW(editor, nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr);
  }
  void TearDown() override {
    if (editor) PostMessageW(editor, WM_CLOSE, 0, 0);
    typist.wait(10000);
    StartupTest::TearDown();
  }

  std::wstring keyLog() { return Text(editor); }
  bool logHas(const std::wstring& entry) { return keyLog().find(L" " + entry + L" ") != std::wstring::npos; }
  // Keys reach the editor in the order typed: once Z's key-up is there, so is
  // everything typed before it that was let through.
  void typeAndSettle(UINT vk) {
    PostMessageW(editor, kTypeKey, vk, 0);
    PostMessageW(editor, kTypeKey, vk, 1);
    PostMessageW(editor, kTypeKey, 'Z', 0);
    PostMessageW(editor, kTypeKey, 'Z', 1);
    ASSERT_TRUE(kit::waitFor([&] { return logHas(L"U5A"); }, 10000)) << Narrow(keyLog());
  }

  virtual void BeforeStart() {}

  std::wstring startArgs;
  kit::Child typist;
  HWND editor = nullptr;
  HWND edit = nullptr;
};

// A recording is loaded and played in the toggle mode: F1 typed in the editor
// pauses and resumes it.
class PlayingHotkeyTest : public HotkeyStartupTest {
 protected:
  void BeforeStart() override {
    ResetConfigurationToFirstStart();
    playMode = PlayModeToggle;
    ASSERT_TRUE(Files().createFolder(ConfigurationFolderPath(Files())));
    SaveMainConfiguration(Files());
    ResetConfigurationToFirstStart();
    testing::WriteWavFile(folder + L"dictation.wav", 60);
    startArgs = L"\"" + folder + L"dictation.wav\"";
  }
  int SliderPosition() {
    HWND form = FindWindowExW(frame, nullptr, L"#32770", nullptr);
    DWORD_PTR pos = 0;
    SendMessageTimeoutW(GetDlgItem(form, IDC_POSITION_SLIDER), TBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000, &pos);
    return static_cast<int>(pos);
  }
  bool Advances() {
    const int start = SliderPosition();
    return kit::waitFor([&] { return SliderPosition() >= start + 2; }, 8000);
  }
  // Still for a while: no step in a second and a half.
  bool StandsStill() {
    SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    const int at = SliderPosition();
    Sleep(1500);
    return SliderPosition() == at;
  }
};

TEST_F(PlayingHotkeyTest, PlayKeyInAnotherProgramPausesAndResumesWithNeitherEdgeReachingIt) {
  ASSERT_TRUE(Advances()) << "the command line's recording plays";
  typeAndSettle(VK_F1);
  EXPECT_TRUE(StandsStill()) << "F1 paused";
  PostMessageW(editor, kTypeKey, VK_F1, 0);
  PostMessageW(editor, kTypeKey, VK_F1, 1);
  EXPECT_TRUE(Advances()) << "F1 resumed";
  EXPECT_FALSE(logHas(L"D70")) << Narrow(keyLog());
  EXPECT_FALSE(logHas(L"U70")) << Narrow(keyLog());
}

TEST_F(HotkeyStartupTest, PlayKeyReachesTheEditorWithNeitherEdge) {
  typeAndSettle(VK_F1);
  EXPECT_FALSE(logHas(L"D70")) << Narrow(keyLog());
  EXPECT_FALSE(logHas(L"U70")) << Narrow(keyLog());
  EXPECT_TRUE(logHas(L"D5A")) << Narrow(keyLog());
}

TEST_F(HotkeyStartupTest, TimeStampKeyDownReachesTheEditorAndOneTimestampIsPastedAfterTheRelease) {
  typeAndSettle(VK_F9);
  EXPECT_TRUE(logHas(L"D78")) << Narrow(keyLog());
  EXPECT_FALSE(logHas(L"U78")) << Narrow(keyLog());
  ASSERT_TRUE(kit::waitFor([&] { return Text(edit).find(L"_00:00:00_") != std::wstring::npos; }, 10000))
      << Narrow(Text(edit));
  // Nothing else arrives: one timestamp, next to the typed "z".
  SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  SendMessageTimeoutW(editor, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  std::wstring text = Text(edit);
  EXPECT_EQ(text.size(), std::wstring(L"_00:00:00_z").size()) << Narrow(text);
  // The consumed key-up left F9 down for the system; without the hook a clean
  // key-up passes.
  Close();
  PostMessageW(editor, kTypeKey, VK_F9, 1);
  EXPECT_TRUE(kit::waitFor([&] { return logHas(L"U78"); }, 5000)) << Narrow(keyLog());
}

}  // namespace
}  // namespace tolv
