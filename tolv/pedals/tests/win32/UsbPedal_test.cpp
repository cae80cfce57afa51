// The USB pedal reader on the real Win32 adapters. Under Wine the
// configuration manager cannot connect and SetupAPI lists no USB devices, so
// UsbPedalDevices.* run only with the cfgmgr32 and setupapi doubles loaded
// (TOLV_PEDAL_DOUBLES=1, see CMakeLists.txt); the pedal itself is a named pipe
// that the test writes reports into, read by overlapped ReadFile.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>

#include "testsupport/win32/WinTest.h"
#include "tolv/config/Settings.h"
#include "tolv/pedals/UsbPedal.h"
#include "tolv/pedals/tests/win32/Recorders.h"
#include "tolv/pedals/win32/Win32PedalDevices.h"

namespace tolv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

bool DoublesLoaded() { return GetEnvironmentVariableW(L"TOLV_PEDAL_DOUBLES", nullptr, 0) != 0; }

// Counts the watcher's connection attempts, so a test knows a search has run.
class CountingDevices : public Win32PedalDevices {
 public:
  unsigned long connectMachine() override {
    const unsigned long cr = Win32PedalDevices::connectMachine();
    ++connects;
    return cr;
  }
  std::atomic<int> connects{0};
};

struct Fixture {
  Fixture() { timers.watched = PedalTimerId; }
  ~Fixture() { ResetPlaybackSettings(); }
  CountingDevices devices;
  Win32StopEvent stopEvent;
  wintest::Timers timers;
  wintest::Boxes boxes;
  wintest::Transport transport;
  CUsbPedal pedal{devices, stopEvent, timers, boxes, transport, kit::uniqueName(L"VurodizeShutdownEvent")};
};

TEST(WineConfigurationManager, ConnectionFailureIsShown) {
  if (DoublesLoaded()) GTEST_SKIP() << "the cfgmgr32 double connects";
  Fixture f;
  f.pedal.ConnectUsbPedal();
  EXPECT_THAT(f.boxes.texts(), ElementsAre(L"Machine Connection failed, cr= 33(hex)\n"));
  EXPECT_EQ(f.pedal.pedalHandle(), NoDeviceHandle);
}

class UsbPedalDevices : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!DoublesLoaded()) GTEST_SKIP() << "needs the cfgmgr32 and setupapi doubles";
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    treeFile = std::wstring(temp) + kit::uniqueName(L"pedal-tree") + L".txt";
    SetEnvironmentVariableW(L"TOLV_PEDAL_DEVICE_TREE", treeFile.c_str());
    pipePath = L"\\\\.\\pipe\\" + kit::uniqueName(L"pedal");
    writeTree(false);
  }
  void TearDown() override {
    if (pipe != INVALID_HANDLE_VALUE) CloseHandle(pipe);
    DeleteFileW(treeFile.c_str());
  }

  // A root, a host controller and a hub; with the pedal, its USB node and
  // its HID node below the hub.
  void writeTree(bool withPedal, const std::wstring& hidPath = L"") {
    std::wstring text =
        L"node 0 class HTREE\\ROOT\\0\n"
        L"node 1 - ROOT\\LEGACY_BEEP\\0000\n"
        L"node 1 class PCI\\VEN_8086&DEV_A36D\\3&11583659&0&A0\n"
        L"node 2 class USB\\ROOT_HUB30\\4&2B2F2F3C&0&0\n"
        L"usb 3 \\\\?\\usb#root_hub30#4&2b2f2f3c&0&0#{a5dcbf10-6530-11d2-901f-00c04fb951ed}\n";
    if (withPedal) {
      text +=
          L"node 3 class USB\\VID_05F3&PID_00FF\\5&1A2B3C4D&0&1\n"
          L"node 4 class HID\\VID_05F3&PID_00FF\\6&2C3D4E5F&0&0000\n"
          L"usb 4 \\\\?\\usb#vid_05f3&pid_00ff#5&1a2b3c4d&0&1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}\n"
          L"hid 5 " + (hidPath.empty() ? pipePath : hidPath) + L"\n";
    }
    std::string narrow(text.begin(), text.end());
    const std::wstring partial = treeFile + L".new";
    FILE* f = _wfopen(partial.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(narrow.data(), 1, narrow.size(), f);
    std::fclose(f);
    ASSERT_TRUE(MoveFileExW(partial.c_str(), treeFile.c_str(), MOVEFILE_REPLACE_EXISTING));
  }

  void listen() {
    pipe = CreateNamedPipeW(pipePath.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_WAIT, 1, 64, 64, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  }

  void sendReport(unsigned char byte1) {
    unsigned char report[PedalReportSize] = {};
    report[1] = byte1;
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(pipe, report, sizeof report, &written, nullptr));
    ASSERT_EQ(written, sizeof report);
  }

  // Runs the pedal timer's read step until `calls` transport calls have been made.
  bool readUntil(Fixture& f, std::size_t calls) {
    return kit::waitFor(
        [&] {
          f.pedal.ReadPedalReport();
          return f.transport.count() >= calls;
        },
        5000);
  }

  std::wstring treeFile, pipePath;
  HANDLE pipe = INVALID_HANDLE_VALUE;
};

TEST_F(UsbPedalDevices, PedalAttachedAfterStartIsFoundAndRead) {
  Fixture f;
  listen();
  f.pedal.StartPedalWatcher();
  ASSERT_TRUE(kit::waitFor([&] { return f.devices.connects >= 1; }, 5000));
  EXPECT_FALSE(f.timers.isSet());
  EXPECT_EQ(f.pedal.deviceIdList.size(), 3u);  // the beep driver has no class

  writeTree(true);
  ASSERT_TRUE(kit::waitFor([&] { return f.timers.isSet(); }, 5000));
  EXPECT_TRUE(vecPedalLayout);
  EXPECT_THAT(f.boxes.texts(), IsEmpty());
  // The pedal is the pipe's client now.
  EXPECT_TRUE(ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED);

  // Nothing sent: the read times out and is cancelled without acting.
  f.pedal.ReadPedalReport();
  EXPECT_THAT(f.transport.calls(), IsEmpty());

  sendReport(4);
  ASSERT_TRUE(readUntil(f, 1));
  sendReport(4);  // the same state again acts not
  sendReport(0);
  ASSERT_TRUE(readUntil(f, 3));
  sendReport(1);
  ASSERT_TRUE(readUntil(f, 4));
  EXPECT_THAT(f.transport.calls(), ElementsAre("hold REW", "release REW", "release FF", "hold FF"));

  f.pedal.StopPedalWatcher();
  EXPECT_FALSE(f.timers.isSet());
  // Closed: the pipe's reader is gone.
  DWORD written = 0;
  unsigned char report[PedalReportSize] = {};
  EXPECT_FALSE(WriteFile(pipe, report, sizeof report, &written, nullptr));
}

TEST_F(UsbPedalDevices, PedalWithoutHidInterfaceKeepsTheSearchGoing) {
  Fixture f;
  writeTree(false);
  FILE* file = _wfopen(treeFile.c_str(), L"ab");
  ASSERT_NE(file, nullptr);
  std::fputs("node 3 class USB\\VID_05F3&PID_00FF\\5&1\n"
             "usb 4 \\\\?\\usb#vid_05f3&pid_00ff#5&1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}\n",
             file);
  std::fclose(file);
  f.pedal.ConnectUsbPedal();
  f.pedal.ConnectUsbPedal();
  EXPECT_EQ(f.pedal.pedalHandle(), NoDeviceHandle);
  EXPECT_EQ(f.devices.connects, 2);
  EXPECT_FALSE(f.timers.isSet());
}

TEST_F(UsbPedalDevices, OpenFailureIsShownAndEndsTheSearch) {
  Fixture f;
  const std::wstring missing = L"\\\\.\\pipe\\" + kit::uniqueName(L"no-pedal");
  writeTree(true, missing);
  f.pedal.ConnectUsbPedal();
  EXPECT_EQ(f.pedal.pedalHandle(), InvalidDeviceHandle);
  EXPECT_THAT(f.boxes.texts(), ElementsAre(L"Failed to connect error: 2" + missing));
  f.pedal.ConnectUsbPedal();
  EXPECT_EQ(f.devices.connects, 1);
  EXPECT_FALSE(f.timers.isSet());
}

}  // namespace
}  // namespace tolv
