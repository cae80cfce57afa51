// vcb_demo.exe: the relay at work in a simulated Remote Desktop session,
// told in plain words, one line per event. It starts the client emulator,
// the relay (vcbridge_testhost.exe) and the sample application as children
// in this Wine session, and drives them: a request out in packets, the
// response in, a notification, a disconnection and reconnection, shutdown by
// command 134, then the relay's own log. Run it under scripts/demo, which
// sets WINEDLLOVERRIDES with "wtsapi32=n,b" for the whole Wine run.
//
// Exit codes: 0 every step did what it should; 1 a step failed (said why);
// 2 the wtsapi32 double is not in use.
#include <windows.h>
#include <shlobj.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "vcbridge/core/app/tests/win32/SessionRig.h"
#include "vcbridge/core/win32/WinText.h"

namespace {

using vcb::PacketHeader;
using vcb::rig::Emulator;
using vcb::rig::Process;
using vcb::rig::Relay;

std::mutex g_out;

void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void say(const char* format, ...) {
  std::lock_guard<std::mutex> hold(g_out);
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void section(const char* title) { say("\n== %s", title); }

// Lines of a child as they come, under its name.
Process::LineSink as(const char* who) {
  return [who](const std::string& line) { say("  %-8s | %s", who, line.c_str()); };
}

struct Failed {
  std::string what;
};

void require(bool ok, const std::string& what) {
  if (!ok) throw Failed{what};
}

std::wstring documentsFolder() {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, path);
  return path;
}

std::string describePacket(const std::vector<uint8_t>& p) {
  PacketHeader h;
  if (!vcb::rig::headerOf(p, &h)) return std::to_string(p.size()) + " bytes, shorter than a header";
  char text[256];
  if (h.fragmentFirst == 0)
    std::snprintf(text, sizeof text, "%u bytes: command %u, dataLength %u, whole message (fragments 0-%u), sequenceNo %u",
                  unsigned(p.size()), h.command, h.dataLength, h.fragmentLast, h.sequenceNo);
  else
    std::snprintf(text, sizeof text, "%u bytes: command %u, dataLength %u, data bytes %u-%u, sequenceNo %u",
                  unsigned(p.size()), h.command, h.dataLength, h.fragmentFirst, h.fragmentLast, h.sequenceNo);
  return text;
}

// Every packet the relay wrote on a channel, from index `from` on; the next index.
int showPackets(Emulator& emulator, const char* channel, int from) {
  for (int i = from;; ++i) {
    std::vector<uint8_t> p = emulator.bytes(std::string("packet ") + channel + " " + std::to_string(i));
    if (p.empty()) return i;
    if (std::string(channel) == "cfa")
      say("  emulator | %s packet %d: %u bytes", channel, i, unsigned(p.size()));
    else
      say("  emulator | %s packet %d: %s", channel, i, describePacket(p).c_str());
  }
}

void showMessage(Emulator& emulator, int index, long packetsBack) {
  std::vector<uint8_t> m = emulator.bytes("request " + std::to_string(index));
  PacketHeader h;
  require(vcb::rig::headerOf(m, &h), "the emulator has no complete message " + std::to_string(index));
  say("  emulator | put back together: command %u, dataLength %u, checksum 0x%08X", h.command, h.dataLength,
      vcb::rig::fnv1a(m.data() + PacketHeader::kSize, m.size() - PacketHeader::kSize));
  say("  emulator | answered with the same command and data, in %ld packets back to the relay", packetsBack);
}

// "client ready: segment ..., reply window 0x0001006E" -> "0x0001006E"
std::string replyWindowOf(const std::string& ready) {
  size_t at = ready.find("reply window ");
  return at == std::string::npos ? std::string() : ready.substr(at + 13);
}

long runApp(const std::wstring& args, DWORD timeoutMs) {
  Process app;
  require(app.start(L"vcb_sample_app.exe", args, true, as("app")), "vcb_sample_app.exe did not start");
  long code = app.wait(timeoutMs);
  say("  app      | (exit code %ld)", code);
  return code;
}

void showLog(const std::wstring& file) {
  HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  require(h != INVALID_HANDLE_VALUE, "no log file " + vcb::narrow(file));
  std::string text;
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n) text.append(buf, n);
  CloseHandle(h);
  size_t start = 0;
  while (start < text.size()) {
    size_t eol = text.find('\n', start);
    std::string line = text.substr(start, eol == std::string::npos ? std::string::npos : eol - start);
    start = eol == std::string::npos ? text.size() : eol + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    for (char& c : line)
      if (c == '\t') c = ' ';
    say("  log      | %s", line.c_str());
  }
}

int run() {
  const ULONGLONG begin = GetTickCount64();

  say("The relay vcbridge in a simulated Remote Desktop session under Wine. Programs, all in this one session:");
  say("  emulator  vcb_client_emulator.exe: the client machine's end of the virtual channels");
  say("  relay     vcbridge_testhost.exe: the relay as vcbridge.exe builds it, told the session is remote");
  say("  app       vcb_sample_app.exe: a dictation application in miniature, talking to the relay");
  say("  check     vcbridge-check.exe: the administrator's check of the session's relay");

  section("A Remote Desktop session, simulated");
  if (!vcb::rig::channelDoubleInUse()) {
    say("demo: the wtsapi32 double is not in use; run under WINEDLLOVERRIDES with wtsapi32=n,b (scripts/demo does)");
    return 2;
  }
  const std::wstring logFile = vcb::rig::enableRelayLog(L"TerminalServiceDriver", documentsFolder());
  say("log: switched on for TerminalServiceDriver (HKCU\\Software\\Varneth\\DictaDeskPro\\Logging), level 4");

  Emulator emulator;
  require(emulator.start(L"vcbdemo"), "the client emulator did not start");
  say("emulator: the client machine's end of VRVCDSS and VRVCCFA is up (control pipe \\\\.\\pipe\\%s.control)",
      vcb::narrow(emulator.base()).c_str());
  say("session: the wtsapi32 double names the window station \"RDP-Tcp#0\", so the relay sees Remote Desktop");

  Relay relay;
  const ULONGLONG relayStart = GetTickCount64();
  require(relay.start(), "the relay's window did not appear");
  HWND window = vcb::RelayClient::findRelay();
  say("relay: vcbridge_testhost.exe runs as process %lu; its hidden window 0x%08X appeared after %llu ms",
      relay.process().id(), unsigned(reinterpret_cast<uintptr_t>(window)), GetTickCount64() - relayStart);
  require(vcb::rig::waitFor([&] { return emulator.stat("dssopen") == 1 && emulator.stat("cfaopen") == 1; }, 5000),
          "the relay did not open both channels");
  say("emulator: the relay opened both channels and greeted the client side:");
  int shown = showPackets(emulator, "dss", 0);
  showPackets(emulator, "cfa", 0);

  section("vcbridge-check.exe, run by an administrator while the relay runs");
  {
    Process check;
    require(check.start(L"vcbridge-check.exe", L"", true, as("check")), "vcbridge-check.exe did not start");
    long code = check.wait(15000);
    say("  check    | (exit code %ld: %s)", code, code == 0 ? "relay ready, channel open" : "not ready");
    require(code == 0, "vcbridge-check.exe did not find the relay ready");
  }

  section("A request out in packets, the response in");
  say("app: the sample application subscribes to session notices and sends command 5 with 4000 data bytes");
  const long sentBefore = emulator.stat("sent");
  Process app;
  require(app.start(L"vcb_sample_app.exe",
                    L"--keyB 7 --subscribe --stay-subscribed --request 5 --data-len 4000 "
                    L"--expect-notices 2 --expect-notifications 1 --timeout 20000",
                    true, as("app")),
          "vcb_sample_app.exe did not start");
  require(!app.waitForLine("response received", 15000).empty(), "no response reached the application");
  say("  emulator | the relay wrote the request as these packets:");
  shown = showPackets(emulator, "dss", shown);
  showMessage(emulator, 1, emulator.stat("sent") - sentBefore);  // message 0 is the greeting

  section("A notification from the client side");
  const std::string replyWindow = replyWindowOf(app.waitForLine("client ready", 0));
  require(!replyWindow.empty(), "the application did not say its reply window");
  say("  emulator | notify: command 1001 with 8 data bytes for window %s -> %s", replyWindow.c_str(),
      emulator.command("notify 1001 " + replyWindow + " 8").c_str());
  require(!app.waitForLine("notification:", 10000).empty(), "the notification did not reach the application");

  section("The client disconnects and reconnects");
  ULONGLONG since = GetTickCount64();
  say("  emulator | drop: connect state 4, both channels cut -> %s", emulator.command("drop").c_str());
  require(!app.waitForLine("session notice: disconnected", 10000).empty(), "no notice of the disconnection");
  say("  note     | the notice came %llu ms after the drop (the relay's session observer looks every 3 s)",
      GetTickCount64() - since);
  since = GetTickCount64();
  say("  emulator | restore: connect state 0, channels can be opened again -> %s", emulator.command("restore").c_str());
  require(!app.waitForLine("session notice: connected", 10000).empty(), "no notice of the reconnection");
  say("  note     | the notice came %llu ms after the restore, once the relay had opened both channels again",
      GetTickCount64() - since);
  require(app.wait(10000) == 0, "the sample application did not get everything it expected");
  say("  app      | (exit code 0)");
  require(vcb::rig::waitFor([&] { return emulator.stat("dssopen") == 1 && emulator.stat("cfaopen") == 1; }, 5000),
          "the relay did not open the channels again");
  say("  emulator | channel opens so far: VRVCDSS %ld, VRVCCFA %ld; closes: VRVCDSS %ld, VRVCCFA %ld",
      emulator.stat("dssopens"), emulator.stat("cfaopens"), emulator.stat("dsscloses"), emulator.stat("cfacloses"));
  shown = showPackets(emulator, "dss", shown);
  say("app: a second application sends command 5 with 16 data bytes over the new connection");
  say("note: the relay's read loop rests 3 s after the failed reads of the cut channel, so this first answer may wait");
  require(runApp(L"--keyB 8 --request 5 --data-len 16", 15000) == 0, "the request after reconnection failed");
  showPackets(emulator, "dss", shown);

  section("Shutdown by command 134");
  require(runApp(L"--keyB 9 --end-relay", 15000) == 0, "the relay did not take command 134");
  const ULONGLONG endAsked = GetTickCount64();
  long relayCode = relay.process().wait(15000);
  require(relayCode >= 0, "the relay did not end");
  say("relay: process ended with exit code %ld, %llu ms after the command (its read loop finishes a read of up to 3 s)",
      relayCode, GetTickCount64() - endAsked);
  say("emulator: channel closes in all: VRVCDSS %ld, VRVCCFA %ld", emulator.stat("dsscloses"), emulator.stat("cfacloses"));
  emulator.stop();

  section("The relay's log: Documents\\VDMS\\Log\\TerminalServiceDriver.log (tabs shown as spaces)");
  showLog(logFile);

  say("\ndemo: done in %.1f s", double(GetTickCount64() - begin) / 1000.0);
  return 0;
}

}  // namespace

int wmain() {
  try {
    return run();
  } catch (const Failed& f) {
    say("\ndemo: FAILED: %s", f.what.c_str());
    return 1;
  }
}
