// Dictation files through the device manager's COM binding, and the other
// makers' pedal components, on a view with its fakes: the device manager,
// the pedal adapter server and the foot-switch library are doubles beside
// the program.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "testsupport/win32/WinTest.h"
#include "tolv/convert/MediaLinks.h"
#include "tolv/convert/tests/fakes/FakeConvertPorts.h"
#include "tolv/convert/win32/Win32ConvertPorts.h"
#include "tolv/convert/win32/Win32DictationSdk.h"
#include "tolv/pedals/FootSwitch.h"
#include "tolv/pedals/ViewPedalTransport.h"
#include "tolv/pedals/win32/DeviceNotifications.h"
#include "tolv/pedals/win32/Win32AdapterServer.h"
#include "tolv/pedals/win32/Win32PedalDevices.h"
#include "tolv/playback/tests/ViewFixture.h"
#include "tolv/playback/tests/fakes/FakeOpenMediaPorts.h"

namespace tolv::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const wchar_t ManagerKey[] = L"Software\\Classes\\CLSID\\{BB5A6659-0AE4-4D24-9E84-9B01AA301863}";
const wchar_t AdapterKey[] = L"Software\\Classes\\CLSID\\{98FFF453-B75E-4BB6-8499-BAA7055DEE52}";

// Wine looks classes up under the machine's keys only.
void RegisterInproc(const wchar_t* classKey, const wchar_t* dll) {
  HKEY key = nullptr;
  const std::wstring sub = std::wstring(classKey) + L"\\InprocServer32";
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, sub.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::wstring path = kit::exeFolder() + dll;
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                 static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
  const wchar_t model[] = L"Both";
  RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(model), sizeof model);
  RegCloseKey(key);
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string ReadHead(const std::wstring& path, DWORD n) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes(n, '\0');
  DWORD read = 0;
  ReadFile(file, bytes.data(), n, &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

struct Posted {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Posted&) const = default;
};

class DictationOnView : public ViewTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder = std::wstring(temp) + kit::uniqueName(L"tolv_dss");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    memo = folder + L"\\memo.dss";
    WriteBytes(memo, "\x02" "dss dictation");
    window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);

    RegisterInproc(ManagerKey, L"DeviceManagerDouble.dll");
    // Kept loaded so that its counters outlive each manager.
    double_ = LoadLibraryW((kit::exeFolder() + L"DeviceManagerDouble.dll").c_str());
    ASSERT_NE(double_, nullptr);
    count_ = reinterpret_cast<CountFn>(reinterpret_cast<void*>(GetProcAddress(double_, "DmDoubleCount")));
    ASSERT_NE(count_, nullptr);
    ASSERT_TRUE(WriteDeviceNotificationClasses(ClassesRoot::Machine, L"C:\\nowhere\\tolv.exe", L""));
    ASSERT_TRUE(server.Start());

    view.setOpenMediaPorts({&conversions, &positions, &lists, &openWindow});
    player.addMedium(memo, 90);
    player.addMedium(memo + L".wav", 60);
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"TOLV_DEVMGR_DOUBLE", nullptr);
    server.Stop();
    RemoveDeviceNotificationClasses(ClassesRoot::Machine);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ManagerKey);
    DeleteFileW((memo + L".wav").c_str());
    DeleteFileW(memo.c_str());
    RemoveDirectoryW(folder.c_str());
    DestroyWindow(window);
    CoUninitialize();
    if (double_) FreeLibrary(double_);
  }
  long counter(const char* name) { return count_(name); }
  std::vector<Posted> posted() {
    std::vector<Posted> all;
    MSG msg;
    while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) all.push_back({msg.message, msg.wParam, msg.lParam});
    return all;
  }
  bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

  using CountFn = LONG(WINAPI*)(const char*);
  HMODULE double_ = nullptr;
  CountFn count_ = nullptr;
  std::wstring folder, memo;
  HWND window = nullptr;

  CWindowVRDMOwner servedOwner{nullptr};
  CDeviceNotificationServer server{servedOwner};
  CWin32ConvertPlatform platform;
  FakeConvertUi ui;
  FakeConvertedMedia converted;
  CWin32DictationSdk sdk{nullptr};
  CConverter converter{platform, ui, converted};
  CDictationDecoder decoder{sdk, platform, ui};
  CMediumConversions conversions{converter, decoder};
  OpenLog log;
  FakeMediumPositions positions{log};
  FakeMediaLists lists{log};
  FakeOpenMediaWindow openWindow{log};
};

TEST_F(DictationOnView, MemoDecodesOnceAndTheSecondOpeningReusesTheWav) {
  CWin32DictationSdk windowSdk(window);
  CDictationDecoder windowDecoder(windowSdk, platform, ui);
  CMediumConversions windowConversions(converter, windowDecoder);
  CWindowVRDMOwner viewOwner(window);
  CDeviceNotificationServer viewServer(viewOwner);
  server.Stop();
  ASSERT_TRUE(viewServer.Start());
  view.setOpenMediaPorts({&windowConversions, &positions, &lists, &openWindow});

  view.OpenMedia(memo, true);
  EXPECT_EQ(player.URL(), memo + L".wav");
  EXPECT_TRUE(player.isPlaying());
  EXPECT_EQ(ReadHead(memo + L".wav", 4), "RIFF");
  EXPECT_EQ(counter("decodes"), 1);
  EXPECT_EQ(static_cast<unsigned long>(counter("device")), 0xA0000101ul);
  EXPECT_EQ(counter("registrations"), 1);
  EXPECT_EQ(counter("unregistrations"), 1);
  EXPECT_EQ(counter("progress"), 0);
  EXPECT_EQ(ui.notesShown, 1);
  EXPECT_EQ(ui.notesClosed, 1);
  EXPECT_THAT(ui.warnings, IsEmpty());
  // The device's arrival, its PLAY button (1524 and unknown codes dropped),
  // and the button pressed on an object made from the served class.
  const std::vector<Posted> notices = posted();
  EXPECT_THAT(notices, Contains(Posted{0x1400, 1725, static_cast<LPARAM>(0xA0000101u)}));
  EXPECT_THAT(notices, Contains(Posted{0x1401, 1529, 1}));
  EXPECT_THAT(notices, Contains(Posted{0x1401, 1545, 7}));
  for (const Posted& p : notices) EXPECT_TRUE(p.wParam == 1725 || p.wParam == 1529 || p.wParam == 1545) << p.wParam;
  EXPECT_EQ(counter("served"), 1);
  EXPECT_EQ(counter("objects"), 0);

  view.OpenMedia(memo, true);
  EXPECT_EQ(player.URL(), memo + L".wav");
  EXPECT_EQ(counter("decodes"), 1);
  EXPECT_EQ(counter("registrations"), 1);
  viewServer.Stop();
}

struct StatusCase {
  const wchar_t* mode;
  const wchar_t* shown;
};

class DecodeStatus : public DictationOnView, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(DecodeStatus, FailedDecodePlaysTheDictationFileAfterTheText) {
  SetEnvironmentVariableW(L"TOLV_DEVMGR_DOUBLE", GetParam().mode);
  view.OpenMedia(memo, true);
  EXPECT_THAT(ui.warnings, ElementsAre(GetParam().shown));
  EXPECT_EQ(player.URL(), memo);
  EXPECT_FALSE(fileExists(memo + L".wav"));
  EXPECT_EQ(counter("decodes"), 1);
  EXPECT_EQ(ui.notesClosed, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, DecodeStatus,
    ::testing::Values(StatusCase{L"status:8004030E", L" Password for encrypting file is invalid!  "},
                      StatusCase{L"status:80050008", L" There is no device!  "},
                      StatusCase{L"status:80049999", L" Processing success.  "}));

TEST_F(DictationOnView, FirstDeviceDecodesWhenTheLocalDecoderIsMissing) {
  SetEnvironmentVariableW(L"TOLV_DEVMGR_DOUBLE", L"nolocal");
  view.OpenMedia(memo, true);
  EXPECT_EQ(counter("device"), 0x11);
  EXPECT_EQ(player.URL(), memo + L".wav");
}

TEST_F(DictationOnView, WithoutDevicesTheDictationFileIsPlayedAsItIs) {
  SetEnvironmentVariableW(L"TOLV_DEVMGR_DOUBLE", L"nodevice");
  view.OpenMedia(memo, true);
  EXPECT_EQ(counter("decodes"), 0);
  EXPECT_EQ(player.URL(), memo);
  EXPECT_THAT(ui.warnings, IsEmpty());
}

TEST_F(DictationOnView, UnregisteredManagerAsksForTheCodecsAndOpensNothing) {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, ManagerKey);
  view.OpenMedia(memo, true);
  EXPECT_EQ(ui.questions.size(), 1u);
  EXPECT_FALSE(player.hasURL());
  EXPECT_EQ(counter("decodes"), 0);
}

TEST_F(DictationOnView, DeviceNoticesKeepTheMapAndACancelStopsTheDecode) {
  std::unique_ptr<IDeviceManager> made = sdk.CreateDeviceManager();
  ASSERT_NE(made, nullptr);
  auto& manager = dynamic_cast<CWin32DeviceManager&>(*made);
  EXPECT_EQ(manager.RegisterSink(), S_OK);
  EXPECT_TRUE(manager.knows(0xA0000101u));  // announced when the sink came
  EXPECT_THAT(manager.DeviceIdentities(), ElementsAre(0x11u, 0xA0000101u));

  SetEnvironmentVariableW(L"TOLV_DEVMGR_DOUBLE", L"nolocal");
  manager.OnDeviceNotify(VrdmDeviceChanged, 0xA0000101u, 0);  // fetched again: gone
  manager.OnDeviceNotify(VrdmDeviceChanged, 0x11, 0);         // fetched again: still there
  manager.OnDeviceNotify(VrdmDeviceArrived, 0x55, 0);         // the manager does not know it
  EXPECT_FALSE(manager.knows(0xA0000101u));
  EXPECT_TRUE(manager.knows(0x11));
  EXPECT_FALSE(manager.knows(0x55));
  EXPECT_EQ(manager.OpenDevice(0xA0000101u), static_cast<SdkStatus>(0x80050008u));

  ASSERT_EQ(manager.OpenDevice(0x11), S_OK);
  uint32_t handle = 0;
  ASSERT_EQ(manager.OpenFile(memo, handle), S_OK);
  std::vector<long long> seen;
  manager.progress = [&](long long size, long long done) { seen.push_back(done * 100 / size); };
  manager.cancelTest = [] { return true; };
  EXPECT_EQ(manager.DecodeToWav(handle, memo + L".wav"), static_cast<SdkStatus>(0x80040312u));
  EXPECT_STREQ(DictationResultText(static_cast<SdkStatus>(0x80040312u)), L" The operation has been cancelled!  ");
  manager.cancelTest = nullptr;
  EXPECT_EQ(manager.DecodeToWav(handle, memo + L".wav"), S_OK);
  EXPECT_THAT(seen, ElementsAre(50));
  manager.CloseFile(handle);
  made.reset();
  EXPECT_EQ(counter("unregistrations"), 1);
  // Every device, interface and button sink was handed back.
  EXPECT_EQ(counter("objects"), 0);
}

// ------------------------------------------------------------------ pedals

// The view's transport, with a hook run after each call so that a test can
// look at the view between the events that a double fires in one go.
class ObservedTransport : public IPedalTransport {
 public:
  explicit ObservedTransport(CTolvView& view) : inner_(view) {}
  void SetHeld(TransportButton button, bool pressed) override {
    inner_.SetHeld(button, pressed);
    if (afterHeld) afterHeld(button, pressed);
  }
  void PlayToggle() override {
    inner_.PlayToggle();
    if (afterToggle) afterToggle();
  }
  void ApplySpeedAndVolume() override { inner_.ApplySpeedAndVolume(); }
  std::function<void(TransportButton, bool)> afterHeld;
  std::function<void()> afterToggle;

 private:
  CViewPedalTransport inner_;
};

class PedalsOnView : public ViewTest {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, AdapterKey);
    CoUninitialize();
  }
  ObservedTransport transport{view};
};

TEST_F(PedalsOnView, AdapterEvent129HoldsRewAndThePollStepsBack) {
  RegisterInproc(AdapterKey, L"PedalComDouble.dll");
  playMode = PlayModeToggle;
  load(120, 60);
  std::vector<double> whileHeld;
  transport.afterHeld = [&](TransportButton button, bool pressed) {
    if (button != TransportButton::Rew || !pressed) return;
    run(3 * RewFfPollPeriodMs + 5);
    whileHeld.push_back(position());
  };
  CAdapterEventsCatchling catchling(transport);
  Win32AdapterServer server(catchling);
  CAdapterServerContainer container(server);
  container.Connect();
  ASSERT_TRUE(container.connected());
  ASSERT_EQ(whileHeld.size(), 1u);
  EXPECT_LT(whileHeld[0], 60.0);
  // Button 0 afterwards released it: no further steps.
  const double released = position();
  run(5 * RewFfPollPeriodMs);
  EXPECT_EQ(position(), released);
}

CFootSwitch* routed = nullptr;

LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (routed && RouteFootSwitchMessage(*routed, message, wParam, lParam)) return 0;
  return DefWindowProcW(window, message, wParam, lParam);
}

class FootSwitchOnView : public PedalsOnView, public ::testing::WithParamInterface<int> {};

TEST_P(FootSwitchOnView, ListenPressAndReleaseEachTogglePlayback) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = ViewProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TolvDeviceManagerTestView";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  playMode = GetParam();
  load(120, 10);
  std::vector<std::string> seen;
  // Only LISTEN toggles: once on its press, once on its release.
  transport.afterToggle = [&] { seen.push_back(view.playing ? "playing" : "paused"); };
  Win32FootSwitchLibrary library;
  ASSERT_TRUE(library.available());
  CFootSwitch footSwitch(library, boxes, transport, reinterpret_cast<WindowRef>(window));
  routed = &footSwitch;
  // The double answers an arrival with REW, LISTEN and FF, each pressed and released.
  PostMessageW(window, FootSwitchDeviceChangeMessage(), FootSwitchArrived, 21);
  const bool done = kit::waitFor(
      [&] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        return seen.size() >= 2;
      },
      5000);
  footSwitch.Close();
  routed = nullptr;
  DestroyWindow(window);
  ASSERT_TRUE(done);
  EXPECT_THAT(seen, ElementsAre("playing", "paused"));
}

INSTANTIATE_TEST_SUITE_P(ToggleModes, FootSwitchOnView, ::testing::Values(PlayModeToggle, PlayModeFixedLength));

}  // namespace
}  // namespace tolv::testing
