// The installer as an administrator uses it: silent install, the player
// started from the installed folder, silent uninstall.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "testsupport/win32/WinTest.h"
#include "tolv/config/Settings.h"
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/config/win32/Win32DataFiles.h"

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quenmark Tolv";

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

uint64_t writeTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 | data.ftLastWriteTime.dwLowDateTime;
}

std::vector<std::wstring> folderContents(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE h = FindFirstFileW((folder + L"*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return names;
}

// Runs a program with a command line in a working folder; its exit code, or -1.
long run(const std::wstring& program, const std::wstring& args, const std::wstring& workDir, DWORD timeoutMs,
         HANDLE* keep = nullptr) {
  std::wstring line = L"\"" + program + L"\" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workDir.empty() ? nullptr : workDir.c_str(), &si, &pi))
    return -1;
  CloseHandle(pi.hThread);
  if (keep) {
    *keep = pi.hProcess;
    return 0;
  }
  long code = -1;
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    DWORD c = 0;
    GetExitCodeProcess(pi.hProcess, &c);
    code = static_cast<long>(c);
  } else {
    TerminateProcess(pi.hProcess, 1);
  }
  CloseHandle(pi.hProcess);
  return code;
}

bool uninstallKeyExists() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

std::wstring startMenuFolder() {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path);
  return std::wstring(path) + L"\\Tolv\\";
}

// Closes the top-level windows of a process and waits for it to end.
bool closeProcess(HANDLE process) {
  const DWORD pid = GetProcessId(process);
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == static_cast<DWORD>(p)) PostMessageW(w, WM_CLOSE, 0, 0);
        return TRUE;
      },
      static_cast<LPARAM>(pid));
  if (WaitForSingleObject(process, 20000) == WAIT_OBJECT_0) return true;
  TerminateProcess(process, 1);
  return false;
}

class InstallerTest : public ::testing::Test {
 protected:
  std::wstring target = L"C:\\" + kit::uniqueName(L"kit") + L"\\Quenmark\\Tolv";
  std::wstring folder = target + L"\\";
  std::wstring setup = kit::exeFolder() + L"tolv-setup.exe";

  long install(const std::wstring& options) {
    // /D must come last and unquoted.
    return run(setup, options + L" /D=" + target, L"", 120000);
  }
  // The uninstaller copies itself elsewhere and returns at once; its copy
  // removes the files and folders, and its registry entry last.
  bool uninstall() {
    if (run(folder + L"uninstall.exe", L"/S", L"", 60000) != 0) return false;
    return kit::waitFor([&] { return !uninstallKeyExists(); }, 60000);
  }
};

TEST_F(InstallerTest, SilentInstallRunsThePlayerAndSilentUninstallKeepsOnlyTheUsersFiles) {
  ASSERT_TRUE(exists(setup));
  ASSERT_EQ(install(L"/S"), 0);
  for (const wchar_t* name : {L"tolv.exe", L"vcbridge.exe", L"vcbridge-check.exe", L"uninstall.exe"})
    EXPECT_TRUE(exists(folder + name)) << name;
  EXPECT_TRUE(exists(startMenuFolder() + L"Tolv.lnk"));
  EXPECT_TRUE(uninstallKeyExists());
  const bool firstConfig = exists(folder + L"tolv3.cfg");
  if (firstConfig) {
    EXPECT_TRUE(exists(folder + L"Configuration\\DEFAULT"));
    // The shipped configuration plays until paused and has its colours.
    tolv::Win32DataFiles files(folder, folder, true);
    tolv::LoadMainConfiguration(files);
    EXPECT_EQ(tolv::playMode, tolv::PlayModeToggle);
    EXPECT_EQ(tolv::jumpBackSeconds, 2);
    EXPECT_EQ(tolv::pxSeconds, 5);
    EXPECT_EQ(tolv::rxSeconds, 5);
    EXPECT_EQ(tolv::speedPercent, 100);
    EXPECT_EQ(tolv::toggleSpeedPercent, 70);
    EXPECT_EQ(tolv::appearanceColorFrom, 0x0091E6);
    EXPECT_EQ(tolv::appearanceColorTo, 0x64C8F8);
    EXPECT_EQ(tolv::showVideoResizeHelp, 1);
  }

  const uint64_t installedNamedTime = writeTime(folder + L"Configuration\\DEFAULT");

  // The player starts from the installed folder and ends when asked to.
  const std::wstring work = L"C:\\" + kit::uniqueName(L"work");
  ASSERT_TRUE(CreateDirectoryW(work.c_str(), nullptr));
  HANDLE player = nullptr;
  ASSERT_EQ(run(folder + L"tolv.exe", L"", work, 0, &player), 0);
  EXPECT_TRUE(kit::waitFor([&] { return exists(work + L"\\log.txt"); }, 20000));
  if (WaitForSingleObject(player, 3000) == WAIT_TIMEOUT) {
    EXPECT_TRUE(closeProcess(player));
  }
  CloseHandle(player);

  // What the typist made: a playlist, and (when shipped) a changed configuration.
  HANDLE f = CreateFileW((folder + L"playlist.tolv").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  CloseHandle(f);
  if (firstConfig) {
    // A save replaces the file: a new file with a new time.
    ASSERT_TRUE(CopyFileW((folder + L"tolv3.cfg").c_str(), (folder + L"tolv3.cfg.new").c_str(), FALSE));
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart += 10'000'000ULL * 3600;
    FILETIME later{t.LowPart, t.HighPart};
    HANDLE c = CreateFileW((folder + L"tolv3.cfg.new").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    ASSERT_NE(c, INVALID_HANDLE_VALUE);
    SetFileTime(c, nullptr, nullptr, &later);
    CloseHandle(c);
    ASSERT_TRUE(MoveFileExW((folder + L"tolv3.cfg.new").c_str(), (folder + L"tolv3.cfg").c_str(),
                            MOVEFILE_REPLACE_EXISTING));
  }

  const bool namedChanged = writeTime(folder + L"Configuration\\DEFAULT") != installedNamedTime;
  ASSERT_TRUE(uninstall());
  std::vector<std::wstring> left = folderContents(folder);
  std::vector<std::wstring> expected = {L"playlist.tolv"};
  if (firstConfig) {
    expected.push_back(L"tolv3.cfg");  // changed by the typist
    // DEFAULT goes while untouched; a player that saved it at exit made it the typist's.
    if (namedChanged) expected.push_back(L"Configuration");
  }
  std::sort(left.begin(), left.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
  EXPECT_FALSE(exists(startMenuFolder()));
  EXPECT_FALSE(uninstallKeyExists());
}

TEST_F(InstallerTest, UninstallWithNothingOfTheUsersLeavesNoFolder) {
  ASSERT_EQ(install(L"/S"), 0);
  ASSERT_TRUE(exists(folder + L"tolv.exe"));
  ASSERT_TRUE(uninstall());
  EXPECT_FALSE(exists(folder));
  // The maker's folder above it went too, being empty.
  EXPECT_FALSE(exists(target.substr(0, target.size() - 5)));
}

TEST_F(InstallerTest, RelayOnlyInstallForSessionHosts) {
  ASSERT_EQ(install(L"/S /RELAYONLY"), 0);
  EXPECT_TRUE(exists(folder + L"vcbridge.exe"));
  EXPECT_TRUE(exists(folder + L"vcbridge-check.exe"));
  EXPECT_FALSE(exists(folder + L"tolv.exe"));
  EXPECT_FALSE(exists(folder + L"tolv3.cfg"));
  ASSERT_TRUE(uninstall());
  EXPECT_FALSE(exists(folder));
}

// What Explorer, the Programs list and the loader read from each shipped program.
struct ProgramResources {
  std::wstring fileVersion, productName;
  std::string manifest;
  UINT icons = 0;
};

ProgramResources resourcesOf(const std::wstring& path) {
  ProgramResources r;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<BYTE> info(size);
  if (size && GetFileVersionInfoW(path.c_str(), 0, size, info.data())) {
    auto text = [&](const wchar_t* name) {
      wchar_t* value = nullptr;
      UINT len = 0;
      const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
      return VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &len) && value
                 ? std::wstring(value)
                 : std::wstring();
    };
    r.fileVersion = text(L"FileVersion");
    r.productName = text(L"ProductName");
  }
  if (HMODULE m = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {
    if (HRSRC res = FindResourceW(m, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
      const char* bytes = static_cast<const char*>(LockResource(LoadResource(m, res)));
      if (bytes) r.manifest.assign(bytes, SizeofResource(m, res));
    }
    FreeLibrary(m);
  }
  r.icons = ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0);
  return r;
}

TEST(ShippedPrograms, CarryVersionManifestAndIcon) {
  for (const wchar_t* name : {L"tolv.exe", L"vcbridge.exe"}) {
    SCOPED_TRACE(std::string(name, name + wcslen(name)));
    const ProgramResources r = resourcesOf(kit::exeFolder() + name);
    EXPECT_EQ(r.fileVersion, L"4.3");
    EXPECT_EQ(r.productName, L"Tolv");
    EXPECT_NE(r.manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_GE(r.icons, 1u);
  }
}

}  // namespace
