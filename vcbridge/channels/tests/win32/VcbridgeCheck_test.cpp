// vcbridge-check as an administrator runs it: its verdict on the relay (in
// words and exit code) and what it says about the relay's log settings.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <functional>

#include "vcbridge/channels/tests/win32/RelaySupport.h"
#include "vcbridge/core/win32/WinText.h"

namespace vcb {
namespace {

using testing::CapturedRun;
using testing::FakeRelay;
using testing::ProgramRun;
using testing::runCaptured;

TEST(VcbridgeCheck, VerdictOnTheRelay) {
  struct Case {
    const char* what;
    const wchar_t* relayArgs;  // nullptr: no relay
    const wchar_t* checkArgs;
    long exitCode;
    std::vector<std::string> lines;
  } cases[] = {
      {"ready", L"", L"", 0, {"relay: running (process ", "DSS channel: open", "round trip: "}},
      {"channel closed", L"--channel closed", L"", 1, {"DSS channel: closed", "round trip: "}},
      {"not running", nullptr, L"", 2, {"relay: not running"}},
      {"no answer", L"--silent", L"--timeout 300", 3,
       {"DSS channel: unknown (command 133: no answer in time)", "round trip: none"}},
      {"answer past the segment", L"--oversize", L"", 5, {"DSS channel: unknown"}},
      {"bad time-out", nullptr, L"--timeout x", 64, {"usage: vcbridge-check.exe"}},
      {"unknown option", nullptr, L"--frobnicate", 64, {"usage: vcbridge-check.exe"}},
      {"help", nullptr, L"--help", 0, {"usage: vcbridge-check.exe", "Exit codes:"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeRelay relay;
    if (c.relayArgs) {
      ASSERT_TRUE(relay.start(c.relayArgs));
    }
    ProgramRun r = runCaptured(L"vcbridge-check.exe", c.checkArgs);
    EXPECT_EQ(c.exitCode, r.exitCode) << r.out;
    for (const std::string& l : c.lines) EXPECT_NE("", r.line(l)) << "missing: " << l << "\n" << r.out;
  }
}

TEST(VcbridgeCheck, ChecksRunningAtOnceUseTheirOwnSegments) {
  FakeRelay relay;
  ASSERT_TRUE(relay.start(L""));
  CapturedRun runs[3];
  for (auto& run : runs) ASSERT_TRUE(run.start(L"vcbridge-check.exe", L""));
  for (auto& run : runs) {
    ProgramRun r = run.finish(30000);
    EXPECT_EQ(0, r.exitCode) << r.out;
  }
}

// The relay's per-user log settings, cleared before and after each case.
class LogSettings {
 public:
  LogSettings() { clear(); }
  ~LogSettings() { clear(); }
  void clear() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Varneth"); }
  void number(const wchar_t* component, const wchar_t* value, DWORD v) {
    set(component, value, REG_DWORD, &v, sizeof(v));
  }
  void text(const wchar_t* component, const wchar_t* value, const std::wstring& v) {
    set(component, value, REG_SZ, v.c_str(), DWORD((v.size() + 1) * sizeof(wchar_t)));
  }

 private:
  void set(const wchar_t* component, const wchar_t* value, DWORD type, const void* data, DWORD size) {
    std::wstring key = L"Software\\Varneth\\DictaDeskPro\\Logging";
    if (component) key += std::wstring(L"\\") + component;
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), value, type, data, size);
  }
};

std::string documentsLog() {
  wchar_t docs[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, docs);
  return narrow(docs) + "\\VDMS\\Log";
}

std::string tempFolder(const wchar_t* leaf) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring dir = std::wstring(tmp) + kit::uniqueName(leaf);
  CreateDirectoryW(dir.c_str(), nullptr);
  return narrow(dir);
}

TEST(VcbridgeCheck, SaysWhetherTheRelayLogsAndWhere) {
  const std::string docs = documentsLog();
  const std::string out = tempFolder(L"vcblogs");
  const std::wstring wout = widen(out);
  const std::string tsd = "logging for TerminalServiceDriver (Remote Desktop sessions): ";
  const std::string ctx = "logging for CitrixDriver (Citrix sessions): ";
  struct Case {
    const char* what;
    std::function<void(LogSettings&)> setUp;
    std::string terminalLine;
    std::string citrixLine;
  } cases[] = {
      {"nothing set", [](LogSettings&) {}, tsd + "off, file " + docs + "\\TerminalServiceDriver.log",
       ctx + "off, file " + docs + "\\CitrixDriver.log"},
      {"Remote Desktop on, own folder",
       [&](LogSettings& s) {
         s.text(nullptr, L"OutputPath", wout);
         s.number(L"TerminalServiceDriver", L"EnableLogging", 1);
       },
       tsd + "on, file " + out + "\\TerminalServiceDriver.log", ctx + "off, file " + out + "\\CitrixDriver.log"},
      {"folder with a trailing backslash",
       [&](LogSettings& s) {
         s.text(nullptr, L"OutputPath", wout + L"\\");
         s.number(L"CitrixDriver", L"EnableLogging", 1);
       },
       tsd + "off, file " + out + "\\TerminalServiceDriver.log", ctx + "on, file " + out + "\\CitrixDriver.log"},
      {"enable as text and as 2 count as off",
       [](LogSettings& s) {
         s.text(L"TerminalServiceDriver", L"EnableLogging", L"1");
         s.number(L"CitrixDriver", L"EnableLogging", 2);
       },
       tsd + "off", ctx + "off"},
      {"level 0 lets nothing through",
       [](LogSettings& s) {
         s.number(L"TerminalServiceDriver", L"EnableLogging", 1);
         s.number(L"TerminalServiceDriver", L"Level", 0);
       },
       tsd + "on, but Level 0 lets no line through, file " + docs + "\\TerminalServiceDriver.log", ctx + "off"},
      {"folder that cannot be made",
       [&](LogSettings& s) {
         s.text(nullptr, L"OutputPath", wout + L"\\missing\\deeper");
         s.number(L"TerminalServiceDriver", L"EnableLogging", 1);
       },
       tsd + "on, file " + docs + "\\TerminalServiceDriver.log (OutputPath " + out + "\\missing\\deeper cannot be made",
       ctx + "off"},
      {"folder made with the first line",
       [&](LogSettings& s) { s.text(nullptr, L"OutputPath", wout + L"\\fresh"); },
       tsd + "off, file " + out + "\\fresh\\TerminalServiceDriver.log (the folder is made with the first line)",
       ctx + "off"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LogSettings settings;
    c.setUp(settings);
    ProgramRun r = runCaptured(L"vcbridge-check.exe", L"");
    EXPECT_EQ(2, r.exitCode) << r.out;
    EXPECT_NE("", r.line(c.terminalLine)) << "missing: " << c.terminalLine << "\n" << r.out;
    EXPECT_NE("", r.line(c.citrixLine)) << "missing: " << c.citrixLine << "\n" << r.out;
  }
  RemoveDirectoryW(wout.c_str());
}

}  // namespace
}  // namespace vcb
