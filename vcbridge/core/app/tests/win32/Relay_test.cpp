// vcbridge.exe as a whole program under Wine, where every session is local.
#include <gtest/gtest.h>
#include <windows.h>

#include "testsupport/win32/WinTest.h"
#include "vcbridge/core/app/tests/win32/RelayLog.h"

namespace {

using Lines = std::vector<std::string>;

TEST(Relay, InALocalSessionItLogsTheSessionAndEndsFatally) {
  std::wstring file = kit::enableRelayLog(L"TerminalServiceDriver");
  kit::Child relay;
  ASSERT_TRUE(relay.start(L"vcbridge.exe", L""));
  ASSERT_EQ(0, relay.wait(20000));
  EXPECT_EQ((Lines{"[INFO]\tSession:Local", "[INFO]\tVirtualChannel Initialize.", "[FATAL]\tvcbridge.exe process."}),
            kit::relayLines(file));
}

TEST(Relay, ASecondCopyEndsAtOnceWithoutALogLine) {
  std::wstring file = kit::enableRelayLog(L"TerminalServiceDriver");
  HANDLE held = CreateMutexW(nullptr, TRUE, L"Varneth_DictaDeskPro_VirtualDriver_Mutex");
  ASSERT_NE(nullptr, held);
  ASSERT_NE(ERROR_ALREADY_EXISTS, GetLastError());
  kit::Child relay;
  ASSERT_TRUE(relay.start(L"vcbridge.exe", L""));
  EXPECT_EQ(0, relay.wait(20000));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(file.c_str())) << "no log line, not even a header";
  ReleaseMutex(held);
  CloseHandle(held);
}

}  // namespace
