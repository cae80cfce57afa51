// The pedal adapter server and the SpeechMike control through COM under
// Wine: absent, failing, and in-process doubles registered under their
// CLSIDs whose events reach the transport.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testsupport/win32/WinTest.h"
#include "tolv/config/Settings.h"
#include "tolv/pedals/tests/win32/Recorders.h"
#include "tolv/pedals/win32/Win32AdapterServer.h"
#include "tolv/pedals/win32/Win32SpeechMike.h"

namespace tolv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const wchar_t AdapterKey[] = L"Software\\Classes\\CLSID\\{98FFF453-B75E-4BB6-8499-BAA7055DEE52}";
const wchar_t SpeechMikeKey[] = L"Software\\Classes\\CLSID\\{AAA44754-CC81-4692-91AF-7064E58EB22A}";

class PedalCom : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, AdapterKey);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, SpeechMikeKey);
    SetEnvironmentVariableW(L"TOLV_PEDAL_COM_DOUBLE", nullptr);
    CoUninitialize();
    ResetPlaybackSettings();
  }
  // Wine reads classes from HKLM only.
  void registerDouble(const wchar_t* classKey) {
    HKEY key = nullptr;
    const std::wstring sub = std::wstring(classKey) + L"\\InprocServer32";
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, sub.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring dll = kit::exeFolder() + L"PedalComDouble.dll";
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                   static_cast<DWORD>((dll.size() + 1) * sizeof(wchar_t)));
    const wchar_t model[] = L"Apartment";
    RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(model), sizeof model);
    RegCloseKey(key);
  }

  wintest::Transport transport;
};

class AdapterServerCom : public PedalCom {
 protected:
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
  registerDouble(AdapterKey);
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
  registerDouble(AdapterKey);
  SetEnvironmentVariableW(L"TOLV_PEDAL_COM_DOUBLE", L"refuse");
  container.Connect();
  EXPECT_FALSE(container.connected());
  EXPECT_THAT(transport.calls(), IsEmpty());
}

class SpeechMikeCom : public PedalCom {
 protected:
  void TearDown() override {
    delete mike;
    delete control;
    PedalCom::TearDown();
  }
  void make() {
    control = new Win32SpeechMike;
    mike = new CSpeechMike(*control, transport);
    control->setTarget(mike);
  }
  Win32SpeechMike* control = nullptr;
  CSpeechMike* mike = nullptr;
};

TEST_F(SpeechMikeCom, MissingControlIsSilent) {
  make();
  mike->Start(true);
  EXPECT_FALSE(mike->started());
}

TEST_F(SpeechMikeCom, ButtonEventsReachTheTransport) {
  registerDouble(SpeechMikeKey);
  playMode = PlayModeToggle;
  make();
  mike->Start(false);  // "Philips equipment" off: not even created
  EXPECT_THAT(transport.calls(), IsEmpty());
  mike->Start(true);
  EXPECT_TRUE(mike->started());
  // Event 3 with 12, event 2 ignored, event 3 with 4.
  EXPECT_THAT(transport.calls(), ElementsAre("hold REW", "toggle"));
}

TEST_F(SpeechMikeCom, FailingSetUpCallRaisesComError) {
  registerDouble(SpeechMikeKey);
  SetEnvironmentVariableW(L"TOLV_PEDAL_COM_DOUBLE", L"fail");
  make();
  EXPECT_THROW(mike->Start(true), ComError);
  EXPECT_FALSE(mike->started());
}

}  // namespace
}  // namespace tolv
