#include "tolv/pedals/VendorComponents.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "tolv/config/Settings.h"
#include "tolv/pedals/tests/fakes/FakePedalDevices.h"

namespace tolv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct FakeAdapterServer : IAdapterServerPort {
  bool createWorks = true, openWorks = true;
  std::vector<std::string> calls;
  bool Create() override {
    calls.push_back("create");
    return createWorks;
  }
  bool OpenPort(const std::wstring& name, long value) override {
    calls.push_back("open '" + std::string(name.begin(), name.end()) + "' " + std::to_string(value));
    return openWorks;
  }
  void Release() override { calls.push_back("release"); }
};

TEST(AdapterServer, ConnectsOnceAndOpensTheDefaultPort) {
  FakeAdapterServer server;
  {
    CAdapterServerContainer container(server);
    container.Connect();
    container.Connect();
    EXPECT_TRUE(container.connected());
  }
  EXPECT_THAT(server.calls, ElementsAre("create", "open '' 0", "release"));
}

TEST(AdapterServer, FailuresLeaveItDisconnectedWithoutATrace) {
  FakeAdapterServer missing;
  missing.createWorks = false;
  CAdapterServerContainer a(missing);
  a.Connect();
  EXPECT_FALSE(a.connected());
  EXPECT_THAT(missing.calls, ElementsAre("create"));

  FakeAdapterServer noPort;
  noPort.openWorks = false;
  CAdapterServerContainer b(noPort);
  b.Connect();
  EXPECT_FALSE(b.connected());
  b.Disconnect();
  EXPECT_THAT(noPort.calls, ElementsAre("create", "open '' 0", "release"));
}

TEST(AdapterServer, OnlyTheFirstEventDrivesTheTransport) {
  testing::RecordingTransport transport;
  CAdapterEventsCatchling catchling(transport);
  IAdapterEventsCatchling& events = catchling;
  events.OnButton(129);
  events.OnButton(128);
  events.OnPortOpened();
  events.OnPortClosed();
  events.OnError(130);
  events.OnData(131);
  EXPECT_THAT(transport.calls(), ElementsAre("hold REW", "release REW", "release FF"));
}

struct FakeSpeechMike : ISpeechMikePort {
  bool installed = true;
  long failing = 0;  // 1 or 3: that method throws
  std::vector<std::string> calls;
  bool Create() override {
    calls.push_back("create");
    return installed;
  }
  void FirstMethod(long a) override {
    calls.push_back("first " + std::to_string(a));
    if (failing == 1) throw ComError(static_cast<long>(0x80004005));
  }
  void ThirdMethod() override {
    calls.push_back("third");
    if (failing == 3) throw ComError(static_cast<long>(0x80004005));
  }
  bool Advise() override {
    calls.push_back("advise");
    return true;
  }
};

TEST(SpeechMike, StartsOnlyWithPhilipsEquipment) {
  testing::RecordingTransport transport;
  FakeSpeechMike control;
  CSpeechMike mike(control, transport);
  mike.Start(false);
  EXPECT_THAT(control.calls, IsEmpty());
  mike.Start(true);
  EXPECT_THAT(control.calls, ElementsAre("create", "first 0", "third", "advise"));
  EXPECT_TRUE(mike.started());

  FakeSpeechMike absent;
  absent.installed = false;
  CSpeechMike none(absent, transport);
  none.Start(true);
  EXPECT_FALSE(none.started());

  FakeSpeechMike broken;
  broken.failing = 3;
  CSpeechMike fails(broken, transport);
  EXPECT_THROW(fails.Start(true), ComError);
}

TEST(SpeechMike, ButtonEventIsNumberThree) {
  testing::RecordingTransport transport;
  FakeSpeechMike control;
  CSpeechMike mike(control, transport);
  playMode = PlayModeToggle;
  const long rew = 12, centre = 4, other = 7;
  mike.OnEvent(3, &rew);
  mike.OnEvent(2, &centre);   // another event: ignored
  mike.OnEvent(3, nullptr);   // no arguments: ignored
  mike.OnEvent(3, &centre);
  mike.OnEvent(3, &other);
  EXPECT_THAT(transport.calls(), ElementsAre("hold REW", "toggle", "release REW", "release FF"));
  ResetPlaybackSettings();
}

struct FakeOwner : IVRDMOwner {
  bool cancel = false;
  std::vector<std::string> calls;
  void OnDeviceNotify(long event, std::intptr_t device, long extra) override {
    calls.push_back("device " + std::to_string(event) + " " + std::to_string(device) + " " + std::to_string(extra));
  }
  void PostToWindow(unsigned message, std::uintptr_t w, std::intptr_t l) override {
    calls.push_back("post " + std::to_string(message) + " " + std::to_string(w) + " " + std::to_string(l));
  }
  bool CancelRequested() override { return cancel; }
  void OnProgress(long long total, long long done, long, long) override {
    calls.push_back("progress " + std::to_string(done) + "/" + std::to_string(total));
  }
};

TEST(DeviceManagerCallbacks, ButtonTableHasTheSdkOrder) {
  std::set<long> codes;
  for (const DvrButton& b : DvrButtons) codes.insert(b.code);
  EXPECT_EQ(codes.size(), DvrButtons.size());
  EXPECT_EQ(DvrButtons.front().code, 1528);
  EXPECT_EQ(DvrButtons[6].name, "WM_DVR_BUTTON_REW");
  EXPECT_EQ(DvrButtons[20].code, 1549);
  EXPECT_EQ(DvrButtons.back().name, "WM_DVR_BUTTON_FS_TOP");
  // Gaps of the numbering are not buttons.
  for (long gap : {1534L, 1536L, 1537L, 1548L, 1527L, 1559L}) EXPECT_FALSE(IsDvrButton(gap)) << gap;
}

TEST(DeviceManagerCallbacks, ButtonsAndDevicesArePostedToTheOwner) {
  FakeOwner owner;
  CVRDMButtonNotification buttons;
  buttons.OnButtonChange(1529, 1);  // no owner yet
  buttons.Initialze(&owner);
  buttons.OnButtonChange(1524, 1);
  buttons.OnButtonChange(1534, 1);
  buttons.OnButtonChange(1544, 0);
  CVRDMDeviceNotification devices;
  devices.Initialze(&owner);
  devices.OnDeviceNotify(VrdmDeviceArrived, 77, 5);
  devices.OnDeviceNotifyString();
  devices.OnDeviceErrorNotify();
  EXPECT_THAT(owner.calls, ElementsAre("post 5121 1544 0", "device 1725 77 5", "post 5120 1725 77"));
}

TEST(DeviceManagerCallbacks, ProgressCanBeCancelled) {
  FakeOwner owner;
  CVRDMFileProgressNotification progress;
  EXPECT_EQ(progress.OnProgressNotify(100, 10, 0, 0), 0);
  progress.Initialze(&owner);
  EXPECT_EQ(progress.OnProgressNotify(100, 40, 0, 0), 0);
  owner.cancel = true;
  EXPECT_EQ(progress.OnProgressNotify(100, 50, 0, 0), static_cast<long>(0x80040312));
  EXPECT_THAT(owner.calls, ElementsAre("progress 40/100"));
}

}  // namespace
}  // namespace tolv
