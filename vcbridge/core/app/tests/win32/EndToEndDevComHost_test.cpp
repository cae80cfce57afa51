// When the client side offers no channel, the relay gives way to the device
// SDK's COM host: it starts DevComHost.exe from the install folder named in
// the local-machine registry and ends. The COM host here is vcb_devcomhost.exe
// copied under that name; it records the command line it was started with.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "vcbridge/core/app/tests/win32/RelaySession.h"

namespace vcb {
namespace {

using testing::contains;
using testing::inOrder;
using testing::joined;
using testing::Lines;
using testing::RelayProcess;

const wchar_t kKey1[] = L"SOFTWARE\\VARNETH\\vcbridge\\Install";
const wchar_t kKey2[] = L"SOFTWARE\\Varneth\\DictaDeskPro\\Install";

// The two install keys for one case; removed again, with the parents this made.
class InstallKeys {
 public:
  InstallKeys() { clear(); }
  ~InstallKeys() { clear(); }
  // Path = folder; an empty folder makes the key without the value.
  void set(const wchar_t* key, const std::wstring& folder) {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                                             nullptr));
    if (!folder.empty())
      RegSetValueExW(h, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                     DWORD((folder.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
  }

 private:
  static void clear() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey1);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKey2);
    // Parents go only when empty: anything else under them is not ours.
    for (const wchar_t* k : {L"SOFTWARE\\VARNETH\\vcbridge", L"SOFTWARE\\Varneth\\DictaDeskPro", L"SOFTWARE\\Varneth"})
      RegDeleteKeyW(HKEY_LOCAL_MACHINE, k);
  }
};

// A folder (with a space in its name, so the quotes matter) holding DevComHost.exe.
class ComHostFolder {
 public:
  explicit ComHostFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + kit::uniqueName(name + L" host");
    CreateDirectoryW(path_.c_str(), nullptr);
    copied_ = CopyFileW((kit::exeFolder() + L"vcb_devcomhost.exe").c_str(), exe().c_str(), FALSE) != FALSE;
  }
  ~ComHostFolder() {
    DeleteFileW(marker().c_str());
    kit::waitFor([&] { return DeleteFileW(exe().c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; }, 5000);
    RemoveDirectoryW(path_.c_str());
  }
  bool ready() const { return copied_; }
  const std::wstring& path() const { return path_; }
  std::wstring exe() const { return path_ + L"\\DevComHost.exe"; }
  std::wstring marker() const { return path_ + L"\\DevComHost.ran"; }

  bool ran() const { return GetFileAttributesW(marker().c_str()) != INVALID_FILE_ATTRIBUTES; }
  // The command line it was started with, as UTF-16.
  std::wstring commandLine() const {
    HANDLE f = CreateFileW(marker().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return L"";
    char buf[2048];
    DWORD n = 0;
    ReadFile(f, buf, sizeof buf, &n, nullptr);
    CloseHandle(f);
    std::wstring w(n, L'\0');
    w.resize(MultiByteToWideChar(CP_UTF8, 0, buf, int(n), w.data(), int(w.size())));
    return w;
  }

 private:
  std::wstring path_;
  bool copied_ = false;
};

enum class Key { none, path, empty };  // absent, with Path, present without Path
enum class Started { none, fromKey1, fromKey2 };

struct Case {
  const char* what;
  const char* failingChannel;  // "dss" or "cfa"
  const wchar_t* station;      // window-station name of the session
  Key key1, key2;
  Started started;
};

using EndToEndDevComHost = testing::RelaySessionTest;

TEST_F(EndToEndDevComHost, AMissingChannelStartsTheComHostFromTheFirstInstallKeyThatOpens) {
  const Case cases[] = {
      {"DSS missing, key 1", "dss", L"RDP-Tcp#0", Key::path, Key::none, Started::fromKey1},
      {"DSS missing, key 1 absent", "dss", L"RDP-Tcp#0", Key::none, Key::path, Started::fromKey2},
      {"DSS missing, both keys", "dss", L"RDP-Tcp#0", Key::path, Key::path, Started::fromKey1},
      {"DSS missing, no key", "dss", L"RDP-Tcp#0", Key::none, Key::none, Started::none},
      {"DSS missing, key 1 without Path", "dss", L"RDP-Tcp#0", Key::empty, Key::path, Started::none},
      {"DSS missing in a Citrix session", "dss", L"ICA-tcp#3", Key::path, Key::none, Started::fromKey1},
      {"CFA missing, key 1", "cfa", L"RDP-Tcp#0", Key::path, Key::none, Started::fromKey1},
      {"CFA missing, key 1 absent", "cfa", L"RDP-Tcp#0", Key::none, Key::path, Started::fromKey2},
      {"CFA missing in a Citrix session", "cfa", L"ica", Key::none, Key::path, Started::fromKey2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const bool citrix = c.station[0] == L'i' || c.station[0] == L'I';
    const bool dss = std::string(c.failingChannel) == "dss";
    ComHostFolder folder1(L"first"), folder2(L"second");
    ASSERT_TRUE(folder1.ready() && folder2.ready());
    InstallKeys keys;
    if (c.key1 != Key::none) keys.set(kKey1, c.key1 == Key::path ? folder1.path() : L"");
    if (c.key2 != Key::none) keys.set(kKey2, c.key2 == Key::path ? folder2.path() : L"");
    SetEnvironmentVariableW(L"KIT_WTS_STATION", c.station);
    control("reset");
    control(std::string("fail dss open ") + (dss ? "on" : "off"));
    control(std::string("fail cfa open ") + (dss ? "off" : "on"));

    RelayProcess relay(citrix ? L"CitrixDriver" : L"TerminalServiceDriver");
    ASSERT_TRUE(relay.start());
    EXPECT_EQ(0, relay.waitForExit(20000)) << "the relay gives way and ends";
    const Lines lines = relay.lines();
    const std::string session = citrix ? "[INFO]\tSession:Citrix" : "[INFO]\tSession:TerminalService";
    if (dss) {
      EXPECT_TRUE(inOrder(lines, {session, "[INFO]\tVirtualChannel Initialize.", "[ERROR]\tVirtualChannel Open."}))
          << joined(lines);
      EXPECT_FALSE(contains(lines, "[INFO]\tVirtualChannel_CFA Initialize.")) << joined(lines);
    } else {
      EXPECT_TRUE(inOrder(lines, {session, "[INFO]\tVirtualChannel Initialize.", "[INFO]\tVirtualChannel_CFA Initialize.",
                                  "[ERROR]\tVirtualChannel_CFA Open."}))
          << joined(lines);
      EXPECT_FALSE(contains(lines, "[INFO]\tCFAEventObserver start.")) << joined(lines);
      EXPECT_EQ(0, emulator.stat("dssopen")) << "the DSS channel opened first is closed again";
    }

    const ComHostFolder* expected = c.started == Started::fromKey1 ? &folder1
                                    : c.started == Started::fromKey2 ? &folder2
                                                                     : nullptr;
    if (expected) {
      ASSERT_TRUE(kit::waitFor([&] { return expected->ran(); }, 10000)) << "DevComHost did not run";
      EXPECT_EQ(L"\"" + expected->exe() + L"\"", expected->commandLine());
    } else {
      // Nothing to wait for when it is rightly not started: give a started one time to show.
      kit::waitFor([&] { return folder1.ran() || folder2.ran(); }, 3000);
    }
    EXPECT_EQ(expected == &folder1, folder1.ran());
    EXPECT_EQ(expected == &folder2, folder2.ran());
  }
}

}  // namespace
}  // namespace vcb
