// The shipped programs start and end under the real Win32 API.
#include <gtest/gtest.h>
#include <windows.h>

#include "testsupport/win32/WinTest.h"

namespace {

TEST(Programs, RelayEndsAtOnceWhileAnotherCopyHoldsTheSessionMutex) {
  HANDLE held = CreateMutexW(nullptr, TRUE, L"Varneth_DictaDeskPro_VirtualDriver_Mutex");
  ASSERT_NE(nullptr, held);
  kit::Child relay;
  ASSERT_TRUE(relay.start(L"vcbridge.exe", L""));
  EXPECT_EQ(0, relay.wait(10000)) << "the second copy must end by itself";
  ReleaseMutex(held);
  CloseHandle(held);
}

TEST(Programs, PlayerWritesItsStartRecordToLogTxt) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring dir = std::wstring(tmp) + kit::uniqueName(L"tolvrun");
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
  std::wstring cmd = L"\"" + kit::exeFolder() + L"tolv.exe\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi));
  // The player runs until its main window is closed.
  HWND frame = nullptr;
  ASSERT_TRUE(kit::waitFor(
      [&] {
        frame = FindWindowW(L"TolvMainFrame", nullptr);
        DWORD owner = 0;
        if (frame) GetWindowThreadProcessId(frame, &owner);
        return frame && owner == pi.dwProcessId;
      },
      20000));
  PostMessageW(frame, WM_CLOSE, 0, 0);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 20000));
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  HANDLE f = CreateFileW((dir + L"\\log.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, f);
  char buf[512] = {};
  DWORD n = 0;
  ReadFile(f, buf, sizeof buf - 1, &n, nullptr);
  CloseHandle(f);
  EXPECT_NE(nullptr, strstr(buf, " INFO  [")) << buf;
  // The first record of a first start: the codec notice's setting was read.
  EXPECT_NE(nullptr, strstr(buf, "[InitInstance@")) << buf;
  EXPECT_NE(nullptr, strstr(buf, "DontShowKLCodecMsg")) << buf;
}

}  // namespace
