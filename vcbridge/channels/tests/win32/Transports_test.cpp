// The four channel transports against vcb_client_emulator.exe through the
// channel doubles. The Citrix ones load WFAPI.dll (the double, beside this
// program). The Remote Desktop ones and the session test need the
// wtsapi32.dll double, which Wine uses only with WINEDLLOVERRIDES
// "wtsapi32=n,b": those suites run in their own ctest entry
// (vcb_channels_wts_tests) and are skipped elsewhere.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "testsupport/win32/WinTest.h"
#include "vcbridge/channels/CitrixVC.h"
#include "vcbridge/channels/PacketHeader.h"
#include "vcbridge/channels/SessionType.h"
#include "vcbridge/channels/tests/win32/ClientEmulatorProcess.h"
#include "vcbridge/channels/win32/TerminalServiceVC.h"
#include "vcbridge/channels/win32/WfApiLibrary.h"
#include "vcbridge/channels/win32/Win32SessionPlatform.h"
#include "vcbridge/core/Exception.h"
#include "vcbridge/core/win32/Win32Kernel.h"

namespace vcb {
namespace {

using testing::ClientEmulatorProcess;

CBinary request(uint32_t command, uint32_t dataLength, uint32_t window, uint32_t keyA,
                uint32_t keyB) {
  CBinary m(PacketHeader::kSize + dataLength);
  PacketHeader h;
  h.command = command;
  h.dataLength = dataLength;
  h.fragmentLast = dataLength;
  h.sequenceNo = 1;
  h.replyWindow = window;
  h.segmentKeyA = keyA;
  h.segmentKeyB = keyB;
  h.writeTo(m);
  for (uint32_t i = 0; i < dataLength; ++i) m.data()[PacketHeader::kSize + i] = uint8_t(i + 1);
  return m;
}

// Reads packets until one arrives or the time is up; the header of the first.
template <class Transport>
bool readPacket(Transport& t, PacketHeader& h, uint32_t& got, CBinary& buffer,
                uint32_t timeoutMs = 5000) {
  return t.Read(buffer, got, timeoutMs) && h.readFrom(buffer.data(), got);
}

int (*doubleExport(const wchar_t* dll, const char* name))() {
  HMODULE m = GetModuleHandleW(dll);
  return m ? reinterpret_cast<int (*)()>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

// A read that would wait for ever ends once its transport's reads are
// cancelled, whether the cancel comes before or during it; lifting the
// cancellation lets reads wait again and take what arrives.
template <class Transport>
void expectCancellationEndsAnEndlessRead(Transport& t, ClientEmulatorProcess& emulator, const char* channel) {
  std::atomic<bool> done{false};
  bool ok = true;
  DWORD error = 0;
  std::thread reader([&] {
    CBinary buffer(2048);
    uint32_t got = 0;
    ok = t.Read(buffer, got, INFINITE);
    error = GetLastError();
    done = true;
  });
  t.CancelReads(true);
  const bool ended = kit::waitFor([&] { return done.load(); }, 5000);
  if (!ended) emulator.command(std::string("cut ") + channel);  // gets the reader out
  reader.join();
  EXPECT_TRUE(ended) << "the read went on after its cancellation";
  EXPECT_FALSE(ok);
  EXPECT_EQ(DWORD(ERROR_OPERATION_ABORTED), error);

  CBinary buffer(2048);
  uint32_t got = 0;
  EXPECT_FALSE(t.Read(buffer, got, INFINITE)) << "still cancelled: fails at once";
  t.CancelReads(false);
  const std::string send = std::string(channel) == "dss" ? "notify 1001 77 8" : "raw cfa 0102030405";
  ASSERT_EQ("ok", emulator.command(send));
  EXPECT_TRUE(t.Read(buffer, got, 5000));
}

class EmulatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    useWin32Kernel();
    ASSERT_TRUE(emulator.start()) << "vcb_client_emulator.exe did not come up";
  }
  ClientEmulatorProcess emulator;
};

// ---- Citrix -----------------------------------------------------------------

using CitrixOverWfApi = EmulatorTest;

TEST_F(CitrixOverWfApi, DssRoundTripConnectStateAndReopen) {
  CitrixVC dss(loadWfApiLibrary);
  ASSERT_NE(nullptr, doubleExport(L"WFAPI.dll", "KitChannelDouble")) << "not the WFAPI.dll double";
  ASSERT_TRUE(dss.Open());
  EXPECT_TRUE(dss.IsOpen());
  EXPECT_EQ(1, emulator.stat("dssopen"));
  EXPECT_EQ(0, doubleExport(L"WFAPI.dll", "KitDoubleOutstanding")()) << "query results freed";

  ASSERT_TRUE(dss.Write(request(7, 10, 0x1234, 11, 22)));
  CBinary buffer(2048);
  uint32_t got = 0;
  PacketHeader h;
  ASSERT_TRUE(readPacket(dss, h, got, buffer));
  EXPECT_EQ(54u, got);
  EXPECT_EQ(7u, h.command);
  EXPECT_EQ(0x1234u, h.replyWindow);
  EXPECT_EQ(22u, h.segmentKeyB);
  EXPECT_EQ(2048u, buffer.size());

  EXPECT_EQ(0, dss.GetConnectState());
  EXPECT_EQ("ok", emulator.command("drop"));
  EXPECT_EQ(4, dss.GetConnectState());
  EXPECT_FALSE(dss.Write(request(7, 0, 1, 2, 3)));
  EXPECT_EQ("ok", emulator.command("restore"));
  EXPECT_EQ(0, dss.GetConnectState());
  dss.Close();
  EXPECT_TRUE(dss.Open()) << "reopened after the session came back";
}

TEST_F(CitrixOverWfApi, CfaIsOpenGivesEveryQueryResultBack) {
  CitrixVC_CFA cfa(loadWfApiLibrary);
  ASSERT_TRUE(cfa.Open());
  auto outstanding = doubleExport(L"WFAPI.dll", "KitDoubleOutstanding");
  ASSERT_NE(nullptr, outstanding);
  const int before = outstanding();
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(cfa.IsOpen());
  EXPECT_EQ(before, outstanding()) << "query results not given back";
  EXPECT_EQ(0, before) << "not even the one of Open";
}

TEST_F(CitrixOverWfApi, CancellingReadsEndsAReadThatWouldWaitForEver) {
  CitrixVC dss(loadWfApiLibrary);
  CitrixVC_CFA cfa(loadWfApiLibrary);
  ASSERT_TRUE(dss.Open());
  ASSERT_TRUE(cfa.Open());
  emulator.command("cfaecho off");
  {
    SCOPED_TRACE("dss");
    expectCancellationEndsAnEndlessRead(dss, emulator, "dss");
  }
  {
    SCOPED_TRACE("cfa");
    expectCancellationEndsAnEndlessRead(cfa, emulator, "cfa");
  }
}

TEST_F(CitrixOverWfApi, ShortWriteFailsForDssAndPassesForCfa) {
  CitrixVC dss(loadWfApiLibrary);
  CitrixVC_CFA cfa(loadWfApiLibrary);
  ASSERT_TRUE(dss.Open());
  ASSERT_TRUE(cfa.Open());
  emulator.command("shortwrite dss on");
  emulator.command("shortwrite cfa on");
  EXPECT_FALSE(dss.Write(request(7, 10, 1, 2, 3)));
  EXPECT_TRUE(cfa.Write(CBinary(10)));
}

TEST_F(CitrixOverWfApi, CfaEchoAndRefresh) {
  CitrixVC_CFA cfa(loadWfApiLibrary);
  ASSERT_TRUE(cfa.Open());
  const char text[] = "ten bytes!";
  ASSERT_TRUE(cfa.Write(CBinary(text, 10)));
  CBinary buffer(2048);
  uint32_t got = 0;
  ASSERT_TRUE(cfa.Read(buffer, got, 5000));
  EXPECT_EQ(std::string(text, 10), std::string(reinterpret_cast<char*>(buffer.data()), got));
  cfa.Refresh();
  EXPECT_EQ(2, emulator.stat("cfapurges"));
}

TEST_F(CitrixOverWfApi, ConnectStateIs4WhenTheEmulatorIsGone) {
  CitrixVC dss(loadWfApiLibrary);
  emulator.stop();
  EXPECT_EQ(4, dss.GetConnectState());
  EXPECT_FALSE(dss.Open());
}

// Runs the probe from `folder` (copied there first unless it is the bin folder).
long runProbe(const std::wstring& folder, const std::wstring& arg) {
  std::wstring exe = folder + L"vcb_citrix_probe.exe";
  if (folder != kit::exeFolder() &&
      !CopyFileW((kit::exeFolder() + L"vcb_citrix_probe.exe").c_str(), exe.c_str(), FALSE))
    return -2;
  std::wstring cmd = L"\"" + exe + L"\" " + arg;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &si, &pi))
    return -3;
  CloseHandle(pi.hThread);
  DWORD code = DWORD(-1);
  if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  else TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  return long(code);
}

TEST(CitrixWithoutWfApi, EveryOperationFailsAndTheSessionCountsAsDisconnected) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + kit::uniqueName(L"noWfApi") + L"\\";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  EXPECT_EQ(0, runProbe(kit::exeFolder(), L"loaded")) << "beside WFAPI.dll the library loads";
  EXPECT_EQ(0, runProbe(folder, L"missing"));
  DeleteFileW((folder + L"vcb_citrix_probe.exe").c_str());
  RemoveDirectoryW(folder.c_str());
}

// ---- Remote Desktop ---------------------------------------------------------

// The wtsapi32.dll double is in use only under the override; where it is
// expected (KIT_WTS_DOUBLE=1) its absence is a failure, elsewhere a skip.
bool wtsDoubleMissing() {
  if (doubleExport(L"wtsapi32.dll", "KitChannelDouble")) return false;
  wchar_t v[4] = {};
  EXPECT_EQ(0u, GetEnvironmentVariableW(L"KIT_WTS_DOUBLE", v, 4))
      << "the wtsapi32.dll double was expected but Wine loaded its own";
  return true;
}

class RemoteDesktop : public EmulatorTest {
 protected:
  void SetUp() override {
    if (wtsDoubleMissing()) GTEST_SKIP() << "needs WINEDLLOVERRIDES=wtsapi32=n,b";
    EmulatorTest::SetUp();
  }
};

TEST_F(RemoteDesktop, OpenSendsExactlyOneHelloOf44Bytes) {
  TerminalServiceVC dss;
  ASSERT_TRUE(dss.Open());
  EXPECT_TRUE(dss.IsOpen());
  EXPECT_EQ(1, emulator.stat("dss"));
  std::vector<uint8_t> hello = emulator.packet("dss", 0);
  ASSERT_EQ(44u, hello.size());
  EXPECT_EQ("VRVC", std::string(hello.begin(), hello.begin() + 4));
  PacketHeader h;
  h.readFrom(hello.data(), 44);
  EXPECT_EQ(132u, h.command);
  hello[4] = 0;
  EXPECT_EQ(std::vector<uint8_t>(40, 0), std::vector<uint8_t>(hello.begin() + 4, hello.end()))
      << "everything but magic and command is zero";
  EXPECT_FALSE(dss.Open()) << "already open";
  EXPECT_EQ(1, emulator.stat("dss"));
}

TEST_F(RemoteDesktop, TheChannelIsOpenOnlyIfTheHelloGoesOutWhole) {
  TerminalServiceVC dss;
  for (const char* knob : {"shortwrite dss", "fail dss write"}) {
    emulator.command(std::string(knob) + " on");
    EXPECT_FALSE(dss.Open()) << knob;
    EXPECT_FALSE(dss.IsOpen()) << knob;
    dss.Close();
    emulator.command(std::string(knob) + " off");
  }
  EXPECT_TRUE(dss.Open());
}

TEST_F(RemoteDesktop, OpenFailuresAndAHandleHeldAfterAFailedQuery) {
  TerminalServiceVC dss;
  emulator.command("fail dss open on");
  EXPECT_FALSE(dss.Open());
  emulator.command("fail dss open off");
  emulator.command("fail dss query on");
  EXPECT_FALSE(dss.Open());
  emulator.command("fail dss query off");
  EXPECT_FALSE(dss.Open()) << "the channel handle is still held";
  EXPECT_EQ(0, emulator.stat("dss")) << "no hello without a file handle";
  dss.Close();
  EXPECT_TRUE(dss.Open());
}

TEST_F(RemoteDesktop, WriteAndReadRoundTrip) {
  TerminalServiceVC dss;
  ASSERT_TRUE(dss.Open());
  ASSERT_TRUE(dss.Write(request(2, 300, 0xABCD, 5, 6)));
  CBinary buffer(2048);
  uint32_t got = 0;
  PacketHeader h;
  ASSERT_TRUE(readPacket(dss, h, got, buffer));
  EXPECT_EQ(344u, got);
  EXPECT_EQ(2u, h.command);
  EXPECT_EQ(0xABCDu, h.replyWindow);
  EXPECT_EQ(5u, h.segmentKeyA);
  EXPECT_EQ(6u, h.segmentKeyB);
  EXPECT_EQ(uint8_t(300), buffer.data()[44 + 299]) << "data echoed";
}

TEST_F(RemoteDesktop, ReadWithTimeOutZeroOnAnIdleChannelLeavesNoReadPending) {
  TerminalServiceVC dss;
  ASSERT_TRUE(dss.Open());
  CBinary buffer(2048);
  uint32_t got = 99;
  SetLastError(0);
  EXPECT_FALSE(dss.Read(buffer, got, 0));
  EXPECT_EQ(996u, GetLastError());
  EXPECT_EQ(0u, got);

  // A read left behind would swallow this notification.
  ASSERT_EQ("ok", emulator.command("notify 1001 77 8"));
  PacketHeader h;
  ASSERT_TRUE(readPacket(dss, h, got, buffer));
  EXPECT_EQ(1001u, h.command);
  EXPECT_EQ(77u, h.replyWindow);
  EXPECT_EQ(52u, got);
}

TEST_F(RemoteDesktop, ReadTimesOutAfterTheGivenTime) {
  TerminalServiceVC dss;
  ASSERT_TRUE(dss.Open());
  CBinary buffer(2048);
  uint32_t got = 0;
  DWORD start = GetTickCount();
  EXPECT_FALSE(dss.Read(buffer, got, 300));
  EXPECT_EQ(996u, GetLastError());
  EXPECT_GE(GetTickCount() - start, 250u) << "it waited";
}

TEST_F(RemoteDesktop, CancellingReadsEndsAReadThatWouldWaitForEver) {
  TerminalServiceVC dss;
  TerminalServiceVC_CFA cfa;
  ASSERT_TRUE(dss.Open());
  ASSERT_TRUE(cfa.Open());
  emulator.command("cfaecho off");
  {
    SCOPED_TRACE("dss");
    expectCancellationEndsAnEndlessRead(dss, emulator, "dss");
  }
  {
    SCOPED_TRACE("cfa");
    expectCancellationEndsAnEndlessRead(cfa, emulator, "cfa");
  }
}

TEST_F(RemoteDesktop, ShortWriteFailsForDssAndPassesForCfa) {
  TerminalServiceVC dss;
  TerminalServiceVC_CFA cfa;
  ASSERT_TRUE(dss.Open());
  ASSERT_TRUE(cfa.Open());
  emulator.command("shortwrite dss on");
  emulator.command("shortwrite cfa on");
  EXPECT_FALSE(dss.Write(request(7, 10, 1, 2, 3)));
  EXPECT_TRUE(cfa.Write(CBinary(10)));
  emulator.command("fail cfa write on");
  EXPECT_FALSE(cfa.Write(CBinary(10)));
}

TEST_F(RemoteDesktop, ConnectStateFollowsTheSessionAndIs4WhenItCannotBeAsked) {
  TerminalServiceVC dss;
  ASSERT_TRUE(dss.Open());
  EXPECT_EQ(0, dss.GetConnectState());
  ASSERT_EQ("ok", emulator.command("drop"));
  EXPECT_EQ(4, dss.GetConnectState());
  CBinary buffer(2048);
  uint32_t got = 0;
  EXPECT_FALSE(dss.Read(buffer, got, 1000));
  EXPECT_FALSE(dss.Write(request(7, 0, 1, 2, 3)));
  ASSERT_EQ("ok", emulator.command("restore"));
  EXPECT_EQ(0, dss.GetConnectState());
  dss.Close();
  ASSERT_TRUE(dss.Open());
  EXPECT_EQ(2, emulator.stat("dssopens"));

  emulator.stop();
  EXPECT_EQ(4, dss.GetConnectState());
}

TEST_F(RemoteDesktop, CfaOpenGreetsWith12ZerosAndTakesTheAnswer) {
  TerminalServiceVC_CFA cfa;
  ASSERT_TRUE(cfa.Open());
  EXPECT_TRUE(cfa.IsOpen());
  EXPECT_EQ(std::vector<uint8_t>(12, 0), emulator.packet("cfa", 0));
  CBinary buffer(4096);
  uint32_t got = 0;
  EXPECT_FALSE(cfa.Read(buffer, got, 0)) << "the echoed greeting was read by Open";
  EXPECT_EQ(996u, GetLastError());
  EXPECT_FALSE(cfa.Open());
}

TEST_F(RemoteDesktop, CfaRefreshPurgesAndDrainsWhatTheClientSent) {
  TerminalServiceVC_CFA cfa;
  ASSERT_TRUE(cfa.Open());
  for (int i = 0; i < 3; ++i) ASSERT_EQ("ok", emulator.command("raw cfa 0102030405"));
  CBinary buffer(4096);
  uint32_t got = 0;
  ASSERT_TRUE(cfa.Read(buffer, got, 5000));  // the first has arrived; let the others follow
  kit::waitFor([] { return false; }, 200);
  cfa.Refresh();
  EXPECT_EQ(2, emulator.stat("cfapurges"));
  EXPECT_FALSE(cfa.Read(buffer, got, 0));
  EXPECT_EQ(996u, GetLastError());
}

TEST_F(RemoteDesktop, NotOpenTransportsFail) {
  TerminalServiceVC dss;
  TerminalServiceVC_CFA cfa;
  CBinary buffer(16);
  uint32_t got = 0;
  EXPECT_FALSE(dss.Read(buffer, got, 0));
  EXPECT_FALSE(dss.Write(buffer));
  EXPECT_FALSE(dss.IsOpen());
  EXPECT_FALSE(cfa.Read(buffer, got, 0));
  EXPECT_FALSE(cfa.Write(buffer));
  cfa.Refresh();
  EXPECT_EQ(0, emulator.stat("cfapurges")) << "Refresh needs a channel";
}

// ---- construction -----------------------------------------------------------

class NoEventsKernel : public Win32Kernel {
 public:
  Handle createEvent(const std::wstring& name, bool manual, bool initial, Security sec) override {
    if (allowed-- > 0) return Win32Kernel::createEvent(name, manual, initial, sec);
    return nullptr;
  }
  int allowed = 0;
};

TEST(RemoteDesktopConstruction, ThrowsTheBareCode23WhenAnEventCannotBeMade) {
  NoEventsKernel k;
  setKernel(&k);
  for (int allowed : {0, 1}) {
    k.allowed = allowed;
    try {
      TerminalServiceVC dss;
      ADD_FAILURE() << "no throw";
    } catch (enumDSSVCERR code) {
      EXPECT_EQ(23, code);
    }
    k.allowed = allowed;
    EXPECT_THROW(TerminalServiceVC_CFA cfa, enumDSSVCERR);
  }
  useWin32Kernel();
}

// ---- session type -----------------------------------------------------------

struct StationCase {
  const wchar_t* station;  // KIT_WTS_STATION
  bool forceRemote;
  SessionType expected;
};

class SessionPlatform : public ::testing::TestWithParam<StationCase> {
 protected:
  void SetUp() override {
    if (wtsDoubleMissing()) GTEST_SKIP() << "needs WINEDLLOVERRIDES=wtsapi32=n,b";
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"KIT_WTS_STATION", nullptr);
    SetEnvironmentVariableW(L"KIT_WTS_STATION_BYTES", nullptr);
    setSessionPlatform(nullptr);
  }
};

TEST_P(SessionPlatform, TypeFromTheWindowStationName) {
  SetEnvironmentVariableW(L"KIT_WTS_STATION", GetParam().station);
  Win32SessionPlatform platform(GetParam().forceRemote);
  setSessionPlatform(&platform);
  EXPECT_EQ(GetParam().expected, querySessionType());
}

INSTANTIATE_TEST_SUITE_P(
    Stations, SessionPlatform,
    ::testing::Values(StationCase{L"ICA-tcp#1", true, SessionCitrix},
                      StationCase{L"ica", true, SessionCitrix},
                      StationCase{L"iCa-CGP#3", true, SessionCitrix},
                      StationCase{L"RDP-Tcp#0", true, SessionRemoteDesktop},
                      StationCase{L"ic", true, SessionRemoteDesktop},
                      StationCase{L"Console", true, SessionRemoteDesktop},
                      StationCase{L"*fail*", true, SessionLocal},
                      StationCase{L"ICA-tcp#1", false, SessionLocal}));

TEST_F(SessionPlatform, TheNameEndsAtItsNulWhateverLengthIsReported) {
  SetEnvironmentVariableW(L"KIT_WTS_STATION", L"ICA-tcp#1");
  Win32SessionPlatform platform(true);
  for (const wchar_t* bytes : {L"0xFFFFFFF0", L"65536", L"8"}) {
    SetEnvironmentVariableW(L"KIT_WTS_STATION_BYTES", bytes);
    std::wstring name;
    ASSERT_TRUE(platform.windowStationName(name));
    EXPECT_EQ(std::wstring(L"ICA-tcp#1").substr(0, std::wstring(bytes) == L"8" ? 4 : 9), name)
        << bytes;
  }
}

TEST(SessionPlatformTransports, OnePairPerSessionType) {
  useWin32Kernel();
  Win32SessionPlatform platform;
  EXPECT_FALSE(platform.makeDssTransport(SessionLocal));
  EXPECT_FALSE(platform.makeCfaTransport(SessionLocal));
  EXPECT_TRUE(boost::dynamic_pointer_cast<CitrixVC>(platform.makeDssTransport(SessionCitrix)));
  EXPECT_TRUE(boost::dynamic_pointer_cast<CitrixVC_CFA>(platform.makeCfaTransport(SessionCitrix)));
  EXPECT_TRUE(boost::dynamic_pointer_cast<TerminalServiceVC>(
      platform.makeDssTransport(SessionRemoteDesktop)));
  EXPECT_TRUE(boost::dynamic_pointer_cast<TerminalServiceVC_CFA>(
      platform.makeCfaTransport(SessionRemoteDesktop)));
  EXPECT_FALSE(platform.isRemoteSession()) << "Wine reports no remote session";
  EXPECT_TRUE(Win32SessionPlatform(true).isRemoteSession());
}

}  // namespace
}  // namespace vcb
