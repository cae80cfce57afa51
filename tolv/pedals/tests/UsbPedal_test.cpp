#include "tolv/pedals/UsbPedal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tolv/config/Settings.h"
#include "tolv/pedals/FootSwitch.h"
#include "tolv/pedals/tests/fakes/FakePedalDevices.h"

namespace tolv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace tolv::testing;

const std::wstring VecUsb = L"USB\\VID_05F3&PID_00FF\\5&2A3B&0&1";
const std::wstring VecHid = L"HID\\VID_05F3&PID_00FF\\6&1C2D&0&0000";
const std::wstring VecPath = L"\\\\?\\hid#vid_05f3&pid_00ff#6&1c2d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const std::wstring OtherUsb = L"USB\\VID_07B4&PID_0218\\7&11&0&2";
const std::wstring OtherHid = L"HID\\VID_07B4&PID_0218\\8&22&0&0000";
const std::wstring OtherPath = L"\\\\?\\hid#vid_07b4&pid_0218#8&22#{4d1e55b2-f16f-11cf-88cb-001111000030}";

class UsbPedalTest : public ::testing::Test {
 protected:
  ~UsbPedalTest() override { ResetPlaybackSettings(); }

  std::vector<unsigned char> report(int at, unsigned char state) {
    std::vector<unsigned char> r(PedalReportSize, 0);
    r[static_cast<std::size_t>(at)] = state;
    return r;
  }

  FakePedalDevices devices;
  FakeStopEvent stopEvent;
  LockedTimers timers;
  LockedMessageBoxes boxes;
  RecordingTransport transport;
  CUsbPedal pedal{devices, stopEvent, timers, boxes, transport, L"PedalTestStop"};
};

TEST(HidKey, StripsLeadingUsbLettersAndPrefixesHid) {
  EXPECT_EQ(HidKeyFromUsbId(L"USB\\VID_05F3&PID_00FF\\5&1"), L"HID\\VID_05F3&PID_00FF\\5&1");
  EXPECT_EQ(HidKeyFromUsbId(L"USBSTOR\\DISK"), L"HIDTOR\\DISK");  // every leading U, S and B goes
  EXPECT_EQ(HidKeyFromUsbId(L"BUS"), L"HID");
  EXPECT_EQ(HidKeyFromUsbId(L"usb\\x"), L"HIDusb\\x");  // only capitals
  EXPECT_EQ(WithoutInstancePart(L"HID\\VID_05F3&PID_00FF\\6&1"), L"HID\\VID_05F3&PID_00FF");
  EXPECT_EQ(WithoutInstancePart(L"NOSLASH"), L"NOSLASH");
}

TEST_F(UsbPedalTest, FindsVecPedalAndStartsItsTimer) {
  devices.attach(OtherUsb, OtherHid, OtherPath);
  devices.attach(VecUsb, VecHid, VecPath);
  pedal.ConnectUsbPedal();
  EXPECT_THAT(devices.opened(), ElementsAre(VecPath));
  EXPECT_TRUE(pedal.pedalOpen());
  EXPECT_TRUE(vecPedalLayout);
  EXPECT_EQ(pedal.pedalSearchKey, L"05F3");
  EXPECT_EQ(timers.period(PedalTimerId), PedalTimerPeriodMs);
  EXPECT_THAT(boxes.texts(), IsEmpty());

  // Open and polled: no more searching in this run.
  pedal.ConnectUsbPedal();
  EXPECT_EQ(devices.connects(), 1);
  EXPECT_EQ(devices.opened().size(), 1u);
}

TEST_F(UsbPedalTest, Finds07B4PedalWithTheOtherLayout) {
  vecPedalLayout = true;
  devices.attach(OtherUsb, OtherHid, OtherPath);
  pedal.ConnectUsbPedal();
  EXPECT_THAT(devices.opened(), ElementsAre(OtherPath));
  EXPECT_FALSE(vecPedalLayout);
  EXPECT_EQ(pedal.pedalSearchKey, L"07B4");
  EXPECT_TRUE(timers.isSet(PedalTimerId));

  devices.queueReport(OtherPath, {0, 4, 0, 1, 0, 0, 0, 0, 0, 0});  // byte 1 is not this layout's
  pedal.ReadPedalReport();
  EXPECT_THAT(transport.calls(), ElementsAre("hold REW"));
}

TEST_F(UsbPedalTest, KeepsSearchingWithoutPedal) {
  devices.setTree({L"HTREE\\ROOT\\0", true,
                   {{L"ACPI\\PNP0A08\\0", true, {{L"PCI\\VEN_8086\\3", true, {}}, {L"PCI\\NOCLASS", false, {}}}},
                    {L"ROOT\\BASIC\\0000", true, {}}}});
  for (int attempt = 0; attempt < 3; ++attempt) {
    pedal.ConnectUsbPedal();
    EXPECT_THAT(pedal.deviceIdList, ElementsAre(L"HTREE\\ROOT\\0", L"ACPI\\PNP0A08\\0", L"PCI\\VEN_8086\\3",
                                                L"ROOT\\BASIC\\0000"));
    EXPECT_EQ(devices.liveConnections(), 0) << "a connection left behind by attempt " << attempt;
  }
  EXPECT_EQ(devices.connects(), 3);
  EXPECT_EQ(pedal.pedalHandle(), NoDeviceHandle);
  EXPECT_FALSE(timers.isSet(PedalTimerId));
}

TEST_F(UsbPedalTest, VecDeviceWithoutHidInterfaceKeepsSearching) {
  devices.attach(VecUsb, L"", L"");
  devices.addInterface(InterfaceClass::Hid, {L"\\\\?\\hid#other", L"HID\\VID_1234&PID_0001\\1&1", 100});
  pedal.ConnectUsbPedal();
  pedal.pedalSearchKey = L"05F3";
  EXPECT_EQ(pedal.FindAndOpenPedal(), L"HID\\VID_05F3&PID_00FF\\5&2A3B&0&1");
  EXPECT_EQ(pedal.pedalHandle(), NoDeviceHandle);
  EXPECT_THAT(devices.opened(), IsEmpty());
  pedal.ConnectUsbPedal();
  EXPECT_EQ(devices.connects(), 2);
}

TEST_F(UsbPedalTest, IgnoresInterfacesItCannotUse) {
  struct Case {
    const char* what;
    DeviceInterface usb;
    bool inTree;
    DeviceInterface hid;
  } cases[] = {
      {"detail size 0", {L"u", VecUsb, 0}, true, {VecPath, VecHid, 100}},
      {"detail above 1024 bytes", {L"u", VecUsb, 1025}, true, {VecPath, VecHid, 100}},
      {"device not in the tree", {L"u", VecUsb, 100}, false, {VecPath, VecHid, 100}},
      {"HID identity of another product", {L"u", VecUsb, 100}, true, {VecPath, L"HID\\VID_05F3&PID_00FE\\1", 100}},
      {"empty HID identity", {L"u", VecUsb, 100}, true, {VecPath, L"\\1", 100}},
  };
  for (const Case& c : cases) {
    FakePedalDevices d;
    if (c.inTree) d.setTree({L"ROOT", true, {{VecUsb, true, {}}}});
    d.addInterface(InterfaceClass::Usb, c.usb);
    d.addInterface(InterfaceClass::Hid, c.hid);
    LockedTimers t;
    CUsbPedal p{d, stopEvent, t, boxes, transport, L"x"};
    p.ConnectUsbPedal();
    EXPECT_THAT(d.opened(), IsEmpty()) << c.what;
    EXPECT_EQ(p.pedalHandle(), NoDeviceHandle) << c.what;
  }
  // The boundary itself is accepted.
  devices.setTree({L"ROOT", true, {{VecUsb, true, {}}}});
  devices.addInterface(InterfaceClass::Usb, {L"u", VecUsb, 1024});
  devices.addInterface(InterfaceClass::Hid, {VecPath, VecHid, 100});
  pedal.ConnectUsbPedal();
  EXPECT_THAT(devices.opened(), ElementsAre(VecPath));
}

TEST_F(UsbPedalTest, OpenFailureStopsTheSearch) {
  devices.attach(VecUsb, VecHid, VecPath);
  devices.failOpen(VecPath, 5);
  pedal.ConnectUsbPedal();
  EXPECT_THAT(boxes.texts(), ElementsAre(L"Failed to connect error: 5" + VecPath));
  EXPECT_EQ(pedal.pedalHandle(), InvalidDeviceHandle);
  EXPECT_EQ(pedal.pedalSearchKey, L"VEC USB");  // the last resort was tried
  EXPECT_FALSE(timers.isSet(PedalTimerId));

  devices.attach(OtherUsb, OtherHid, OtherPath);
  pedal.ConnectUsbPedal();
  EXPECT_EQ(devices.connects(), 1);
  EXPECT_THAT(devices.opened(), ElementsAre(VecPath));
  pedal.ReadPedalReport();  // nothing to read from
  EXPECT_THAT(devices.readWaits(), IsEmpty());
}

TEST_F(UsbPedalTest, VecUsbNameOpensAfterAFailedOpen) {
  const std::wstring named = L"USB\\VEC USB FOOTPEDAL\\1";
  devices.attach(VecUsb, VecHid, VecPath);
  devices.failOpen(VecPath, 2);
  devices.attach(named, L"HID\\VEC USB FOOTPEDAL\\2", L"\\\\.\\pipe\\named");
  pedal.ConnectUsbPedal();
  EXPECT_THAT(devices.opened(), ElementsAre(VecPath, L"\\\\.\\pipe\\named"));
  EXPECT_TRUE(pedal.pedalOpen());
  EXPECT_TRUE(vecPedalLayout);
  EXPECT_TRUE(timers.isSet(PedalTimerId));
}

TEST_F(UsbPedalTest, MachineConnectionFailureIsShownAndRetried) {
  devices.setConnectResult(0x33);
  pedal.ConnectUsbPedal();
  pedal.ConnectUsbPedal();
  EXPECT_THAT(boxes.texts(), ElementsAre(L"Machine Connection failed, cr= 33(hex)\n",
                                         L"Machine Connection failed, cr= 33(hex)\n"));
  devices.setConnectResult(0);
  devices.attach(VecUsb, VecHid, VecPath);
  pedal.ConnectUsbPedal();
  EXPECT_TRUE(pedal.pedalOpen());
}

TEST_F(UsbPedalTest, StartUpCheckOfTheConfigurationManager) {
  EXPECT_TRUE(pedal.ConnectConfigurationManager());
  EXPECT_EQ(devices.liveConnections(), 0);
  devices.setConnectResult(0x33);
  EXPECT_FALSE(pedal.ConnectConfigurationManager());
  EXPECT_THAT(boxes.texts(), ElementsAre(L"Machine Connection failed, cr= 33(hex)\n"));
}

TEST_F(UsbPedalTest, LoopingTreeEnds) {
  devices.setTree({L"ROOT", true, {{L"A\\1", true, {}}, {L"B\\2", true, {}}}});
  devices.loopSiblings();
  pedal.ConnectUsbPedal();
  EXPECT_FALSE(pedal.deviceIdList.empty());
  EXPECT_LE(pedal.deviceIdList.size(), 20000u);
}

class OpenVecPedal : public UsbPedalTest {
 protected:
  OpenVecPedal() {
    devices.attach(VecUsb, VecHid, VecPath);
    pedal.ConnectUsbPedal();
  }
  void feed(std::initializer_list<int> states) {
    for (int s : states) {
      devices.queueReport(VecPath, report(1, static_cast<unsigned char>(s)));
      ASSERT_TRUE(pedal.OnTimer(PedalTimerId));
    }
  }
};

TEST_F(OpenVecPedal, SameStateActsOnceAndEveryZeroReleases) {
  feed({4, 4, 0, 0, 1, 5, 1});
  EXPECT_THAT(transport.calls(),
              ElementsAre("hold REW",                   // second 4 does nothing
                          "release REW", "release FF",  // first 0
                          "release REW", "release FF",  // second 0 again
                          "hold FF",                    // the chord between does nothing...
                          "hold FF"));                  // ...but makes 1 a new state
  EXPECT_EQ(pedal.lastPedalState, 1);
}

TEST_F(OpenVecPedal, TimeoutsAndShortReportsChangeNothing) {
  pedal.ReadPedalReport();  // nothing queued: the wait times out
  devices.queueReport(VecPath, {0x00});  // too short to hold byte 1
  pedal.ReadPedalReport();
  EXPECT_THAT(transport.calls(), IsEmpty());
  EXPECT_EQ(pedal.lastPedalState, -1);
  EXPECT_THAT(devices.readWaits(), ElementsAre(50u, 50u));
  devices.queueReport(VecPath, {0x00, 0x02});
  pedal.ReadPedalReport();
  EXPECT_THAT(transport.calls(), ElementsAre("toggle"));
  EXPECT_FALSE(pedal.OnTimer(PedalTimerId + 1));
}

TEST_F(OpenVecPedal, StopClosesPedalAndFootSwitch) {
  FakeFootSwitchLibrary library;
  CFootSwitch footSwitch(library, boxes, transport, 0x1234);
  footSwitch.footSwitchId = 7;
  pedal.setFootSwitch(&footSwitch);
  const DeviceHandle handle = pedal.pedalHandle();
  pedal.StopPedalWatcher();
  EXPECT_THAT(library.closes, ElementsAre(7u));
  EXPECT_FALSE(timers.isSet(PedalTimerId));
  EXPECT_THAT(devices.closed(), ElementsAre(handle));
  EXPECT_EQ(devices.liveConnections(), 0);
}

TEST_F(UsbPedalTest, WatcherPicksUpPedalAttachedLaterWithinASecond) {
  pedal.StartPedalWatcher();
  EXPECT_EQ(stopEvent.name(), L"PedalTestStop");
  ASSERT_TRUE(stopEvent.awaitWaits(1));
  EXPECT_FALSE(timers.isSet(PedalTimerId));
  devices.attach(VecUsb, VecHid, VecPath);
  stopEvent.tick();
  ASSERT_TRUE(stopEvent.awaitWaits(2));
  EXPECT_TRUE(timers.isSet(PedalTimerId));
  EXPECT_THAT(stopEvent.waits(), ElementsAre(1000u, 1000u));

  // The timer's reads run beside the idle watcher.
  devices.queueReport(VecPath, report(1, 1));
  pedal.ReadPedalReport();
  stopEvent.tick();
  ASSERT_TRUE(stopEvent.awaitWaits(3));
  pedal.StopPedalWatcher();
  EXPECT_TRUE(stopEvent.closed());
  EXPECT_THAT(transport.calls(), ElementsAre("hold FF"));
  EXPECT_EQ(devices.connects(), 2);
  EXPECT_EQ(devices.closed().size(), 1u);
  EXPECT_EQ(devices.liveConnections(), 0);
}

TEST_F(UsbPedalTest, StopEndsWatcherThatFindsNothing) {
  pedal.StartPedalWatcher();
  ASSERT_TRUE(stopEvent.awaitWaits(1));
  pedal.StopPedalWatcher();
  EXPECT_THAT(devices.closed(), IsEmpty());
  EXPECT_EQ(devices.liveConnections(), 0);
  pedal.StopPedalWatcher();  // twice is harmless
}

TEST_F(UsbPedalTest, NoWatcherWithoutItsStopEvent) {
  stopEvent.failCreate();
  pedal.StartPedalWatcher();
  pedal.StopPedalWatcher();
  EXPECT_EQ(devices.connects(), 0);
}

}  // namespace
}  // namespace tolv
