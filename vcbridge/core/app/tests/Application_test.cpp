#include "vcbridge/core/app/Application.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/channels/VirtualChannel.h"
#include "vcbridge/channels/VirtualChannelObserver.h"
#include "vcbridge/channels/tests/fakes/FakeCfaTransport.h"
#include "vcbridge/channels/tests/fakes/FakeSessionPlatform.h"
#include "vcbridge/core/Log.h"
#include "vcbridge/core/app/tests/fakes/FakeInstallPort.h"
#include "vcbridge/core/tests/fakes/FakeKernel.h"
#include "vcbridge/core/tests/fakes/FakeLogPorts.h"
#include "vcbridge/ipc/DSSSessionEventManager.h"
#include "vcbridge/ipc/SessionObserver.h"
#include "vcbridge/ipc/SharedMemory.h"
#include "vcbridge/ipc/tests/fakes/FakeMessagePort.h"
#include "vcbridge/ipc/tests/fakes/FakeWindowSystem.h"

namespace vcb {
namespace {

using testing::FakeInstallPort;
using Path = IInstallPort::PathResult;
using Lines = std::vector<std::string>;

bool waitFor(const std::function<bool()>& cond) {
  for (int i = 0; i < 1000; ++i) {
    if (cond()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return cond();
}

// The relay composed entirely of fakes, with logging switched on for both
// components so that the log can be read back line by line.
class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* c : {L"CitrixDriver", L"TerminalServiceDriver"}) {
      std::wstring key = std::wstring(L"Software\\Varneth\\DictaDeskPro\\Logging\\") + c;
      logs.settings.setNumber(key, L"EnableLogging", 1);
      logs.settings.setNumber(key, L"Level", 5);
    }
    logs.files.addFolder(L"C:\\Users\\typist\\Documents\\VDMS");
    log::SetDefaultPorts(logs.ports());
    platform->cfa = cfa;
  }
  void TearDown() override { log::Shutdown(); }

  // The message texts of the log (what follows the last tab), optionally of one level.
  Lines messages(const char* level = nullptr) {
    Lines out;
    for (const auto& f : logs.files.files()) {
      std::istringstream in(logs.files.content(f));
      std::string line;
      while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find("\t[0x") == std::string::npos) continue;
        if (level && line.find(std::string("\t") + level + "\t") == std::string::npos) continue;
        out.push_back(line.substr(line.rfind('\t') + 1));
      }
    }
    return out;
  }

  // Plays an application: a segment holding one request, posted to the relay's window.
  void postRequest(uint32_t command, int32_t keyB) {
    WindowHandle relay = nullptr;
    ASSERT_TRUE(waitFor([&] { return (relay = windows->findWindow(kMessageWindowClass, kMessageWindowClass)); }));
    segments.emplace_back(kernel->createFileMapping(segmentName(1, keyB), kSegmentSize, Security::Default));
    PacketHeader h;
    h.command = command;
    h.replyWindow = 0x44;
    h.segmentKeyA = 1;
    h.segmentKeyB = keyB;
    h.writeTo(kernel->mappingBytes(segmentName(1, keyB)), kSegmentSize);
    // Retried until the request handler is registered; before that the relay drops it.
    ASSERT_TRUE(waitFor([&] {
      windows->post(relay, registeredMessages().command, 1, keyB);
      return port->waitForPosts(1, std::chrono::milliseconds(50));
    }));
  }

  testing::ScopedFakeKernel kernel;
  testing::ScopedFakeSessionPlatform platform;
  testing::ScopedFakeMessagePort port;
  testing::ScopedFakeWindowSystem windows;
  testing::FakeLogPorts logs;
  FakeInstallPort install;
  boost::shared_ptr<testing::FakeCfaTransport> cfa{new testing::FakeCfaTransport};
  std::vector<KernelHandle> segments;
};

TEST_F(ApplicationTest, ASecondCopyEndsAtOnceWithoutALogLine) {
  bool existed = false;
  KernelHandle first(kernel->createMutex(kSingleInstanceMutex, true, Security::Default, &existed));
  Application app(install);
  EXPECT_FALSE(app.InitInstance());
  app.ExitInstance();
  EXPECT_TRUE(logs.files.files().empty());
  EXPECT_TRUE(platform->dssRequests().empty()) << "nothing of the relay was built";
  EXPECT_TRUE(install.started.empty());
}

TEST_F(ApplicationTest, ALocalSessionEndsFatallyWithoutStartingTheComHost) {
  platform->chooseSession(SessionLocal);
  install.results[kInstallKey1] = Path::Found;
  install.paths[kInstallKey1] = L"C:\\Prog";
  Application app(install);
  EXPECT_FALSE(app.InitInstance());
  app.ExitInstance();
  EXPECT_EQ((Lines{"Session:Local", "VirtualChannel Initialize.", "vcbridge.exe process."}), messages());
  EXPECT_EQ((Lines{"vcbridge.exe process."}), messages("[FATAL]"));
  EXPECT_TRUE(install.started.empty());
  EXPECT_EQ((std::vector<std::wstring>{L"C:\\Users\\typist\\Documents\\VDMS\\Log\\TerminalServiceDriver.log"}),
            logs.files.files());
}

TEST_F(ApplicationTest, AMissingChannelHandsOverToTheComHostFromTheFirstKeyThatExists) {
  struct Case {
    const char* name;
    Path key1, key2;
    std::wstring expected;  // empty: not started
  } cases[] = {
      {"key 1", Path::Found, Path::Found, L"\"C:\\One\\DevComHost.exe\""},
      {"key 2 when key 1 is absent", Path::KeyMissing, Path::Found, L"\"D:\\Two\\DevComHost.exe\""},
      {"neither", Path::KeyMissing, Path::KeyMissing, L""},
      {"key 1 without Path stops there", Path::ValueMissing, Path::Found, L""},
      {"key 1 Path too long", Path::TooLong, Path::Found, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    install = FakeInstallPort();
    install.results[kInstallKey1] = c.key1;
    install.paths[kInstallKey1] = L"C:\\One";
    install.results[kInstallKey2] = c.key2;
    install.paths[kInstallKey2] = L"D:\\Two";
    platform->chooseSession(SessionCitrix);
    platform->dss->setOpenResult(false);
    Application app(install);
    EXPECT_FALSE(app.InitInstance());
    app.ExitInstance();
    if (c.expected.empty())
      EXPECT_TRUE(install.started.empty());
    else
      EXPECT_EQ(std::vector<std::wstring>{c.expected}, install.started);
    Mutex again;
    EXPECT_TRUE(again.create(true, kSingleInstanceMutex)) << "the session mutex was given up";
    again.releaseAndClose();
  }
  Lines lines = messages();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ((Lines{"Session:Citrix", "VirtualChannel Initialize.", "VirtualChannel Open."}),
            Lines(lines.begin(), lines.begin() + 3));
  EXPECT_EQ("VirtualChannel Open.", messages("[ERROR]").at(0));
  EXPECT_EQ((std::vector<std::wstring>{L"C:\\Users\\typist\\Documents\\VDMS\\Log\\CitrixDriver.log"}),
            logs.files.files());
}

TEST_F(ApplicationTest, ACommandLineOverTheLimitIsNotStarted) {
  install.results[kInstallKey1] = Path::Found;
  install.paths[kInstallKey1] = std::wstring(256 - 17, L'x');  // quotes and "\DevComHost.exe" make 256
  Application app(install);
  app.StartDevComHost();
  EXPECT_TRUE(install.started.empty());
  install.paths[kInstallKey1].pop_back();
  app.StartDevComHost();
  ASSERT_EQ(1u, install.started.size());
  EXPECT_EQ(255u, install.started[0].size());
}

TEST_F(ApplicationTest, AMissingCfaChannelHandsOverToo) {
  install.results[kInstallKey1] = Path::Found;
  install.paths[kInstallKey1] = L"C:\\One";
  cfa->openResult = false;
  Application app(install);
  EXPECT_FALSE(app.InitInstance());
  app.ExitInstance();
  EXPECT_EQ((Lines{"Session:TerminalService", "VirtualChannel Initialize.", "VirtualChannel_CFA Initialize.",
                   "VirtualChannel_CFA Open."}),
            messages());
  EXPECT_EQ(1u, install.started.size());
}

TEST_F(ApplicationTest, StartsInOrderRelaysAndEndsOnCommand134) {
  Application app(install);
  std::thread relay([&] { EXPECT_FALSE(app.InitInstance()); });
  postRequest(134, 9);
  relay.join();
  EXPECT_EQ((Lines{"Session:TerminalService", "VirtualChannel Initialize.", "VirtualChannel_CFA Initialize.",
                   "CFAEventObserver start.", "EventManager Initialize.", "SharedMemoryManager Initialize.",
                   "VirtualChannelObserver start.", "SessionObserver start.", "MessageWindowCreate.",
                   "vcbridge.exe process start.", "vcbridge.exe process end."}),
            messages());
  EXPECT_GE(port->postsTo(0x44).size(), 1u) << "command 134 is answered with a completion message";
  app.ExitInstance();
  EXPECT_FALSE(VirtualChannel::exists());
  EXPECT_FALSE(VirtualChannelObserver::exists());
  EXPECT_FALSE(SessionObserver::exists());
  EXPECT_FALSE(SharedMemoryManager::exists());
  EXPECT_FALSE(DSSSessionEventManager::exists());
  EXPECT_EQ(0, windows->windowCount());
  EXPECT_GE(platform->dss->closeCalls(), 1) << "the transport was closed";
  Mutex again;
  EXPECT_TRUE(again.create(true, kSingleInstanceMutex)) << "the session mutex was given up";
  again.releaseAndClose();
}

}  // namespace
}  // namespace vcb
