// The pedal adapter server through COM under Wine: absent, refusing its port,
// and an in-process double registered under the server's CLSID whose events
// reach the transport.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testsupport/win32/WinTest.h"
#include "tolv/config/Settings.h"
#include "tolv/pedals/tests/win32/Recorders.h"
#include "tolv/pedals/win32/Win32AdapterServer.h"

namespace tolv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const wchar_t ServerKey[] = L"Software\\Classes\\CLSID\\{98FFF453-B75E-4BB6-8499-BAA7055DEE52}";

class AdapterServerCom : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ServerKey);
    SetEnvironmentVariableW(L"TOLV_ADAPTER_DOUBLE", nullptr);
    CoUninitialize();
    ResetPlaybackSettings();
  }
  // Wine reads classes from HKLM only.
  void registerDouble() {
    HKEY key = nullptr;
    const std::wstring sub = std::wstring(ServerKey) + L"\\InprocServer32";
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, sub.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring dll = kit::exeFolder() + L"AdapterServerDouble.dll";
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                   static_cast<DWORD>((dll.size() + 1) * sizeof(wchar_t)));
    const wchar_t model[] = L"Apartment";
    RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(model), sizeof model);
    RegCloseKey(key);
  }

  wintest::Transport transport;
  CAdapterEventsCatchling catchling{transport};
  Win32AdapterServer server{catchling};
  CAdapterServerContainer container{server};
};

TEST_F(AdapterServerCom, MissingServerIsSilent) {
  container.Connect();
  EXPECT_FALSE(container.connected());
  EXPECT_THAT(transport.calls(), IsEmpty());
}

TEST_F(AdapterServerCom, EventsOfTheOpenedPortReachTheTransport) {
  registerDouble();
  playMode = PlayModeToggle;
  container.Connect();
  EXPECT_TRUE(container.connected());
  // 129, the port-opened event, then 0.
  EXPECT_THAT(transport.calls(), ElementsAre("hold REW", "release REW", "release FF"));
  container.Connect();  // connected already: nothing more
  EXPECT_EQ(transport.count(), 3u);
  container.Disconnect();
  EXPECT_FALSE(container.connected());
}

TEST_F(AdapterServerCom, RefusedPortDisconnects) {
  registerDouble();
  SetEnvironmentVariableW(L"TOLV_ADAPTER_DOUBLE", L"refuse");
  container.Connect();
  EXPECT_FALSE(container.connected());
  EXPECT_THAT(transport.calls(), IsEmpty());
}

}  // namespace
}  // namespace tolv
