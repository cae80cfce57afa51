// How long a key typed in another program waits for the player's keyboard
// hook: SendInput of a key that is no hotkey, to its WM_KEYDOWN in this
// program's window, measured (1) with no player running, (2) with tolv.exe
// running and no pedal, (3) with tolv.exe reading a USB pedal at rest. The
// pedal is a named pipe behind the cfgmgr32/setupapi doubles, as in the Wine
// suites. Prints the figures; a benchmark, not a test.
// Usage: tolv_key_delay_bench.exe [--keys N]
// Needs WINEDLLOVERRIDES with cfgmgr32,setupapi=n,b (scripts/bench sets it).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr UINT kKey = 'Q';  // no hotkey has it

LARGE_INTEGER g_frequency;
bool g_down = false, g_up = false;
LARGE_INTEGER g_arrival;

double Ms(LARGE_INTEGER a, LARGE_INTEGER b) {
  return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(g_frequency.QuadPart);
}

std::wstring ExeFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path);
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

LRESULT CALLBACK TargetProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && wParam == kKey) {
    QueryPerformanceCounter(&g_arrival);
    g_down = true;
    return 0;
  }
  if (message == WM_KEYUP && wParam == kKey) {
    g_up = true;
    return 0;
  }
  return DefWindowProcW(w, message, wParam, lParam);
}

// Handles this thread's messages until cond holds or ms passed.
bool PumpUntil(const std::function<bool()>& cond, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (cond()) return true;
    if (GetTickCount() - start > ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
}

void Send(bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = kKey;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof in);
}

// The delays of `keys` key presses spread over the 100-ms pedal tick.
std::vector<double> Measure(HWND target, int keys) {
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> pause(5, 105);
  std::vector<double> delays;
  for (int i = 0; i < keys; ++i) {
    SetForegroundWindow(target);
    SetFocus(target);
    const DWORD until = GetTickCount() + static_cast<DWORD>(pause(random));
    PumpUntil([&] { return GetTickCount() >= until; }, 1000);
    g_down = g_up = false;
    LARGE_INTEGER sent;
    QueryPerformanceCounter(&sent);
    Send(false);
    if (!PumpUntil([] { return g_down; }, 5000)) {
      std::printf("key %d never arrived\n", i);
      continue;
    }
    delays.push_back(Ms(sent, g_arrival));
    Send(true);
    PumpUntil([] { return g_up; }, 5000);
  }
  return delays;
}

void Report(const char* what, std::vector<double> t) {
  if (t.empty()) {
    std::printf("%s: no key arrived\n", what);
    return;
  }
  std::sort(t.begin(), t.end());
  const auto at = [&](double q) { return t[std::min(t.size() - 1, static_cast<std::size_t>(q * t.size()))]; };
  std::printf("%s: median %.2f ms, p99 %.2f ms, max %.2f ms (%zu keys)\n", what, at(0.5), at(0.99), t.back(),
              t.size());
  std::fflush(stdout);
}

bool WriteText(const std::wstring& path, const std::string& text) {
  const std::wstring partial = path + L".part";
  FILE* f = _wfopen(partial.c_str(), L"wb");
  if (!f) return false;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  return MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

// The device tree the doubles serve: a hub, and with the pedal its USB and HID nodes.
std::string Tree(bool withPedal, const std::wstring& pipe) {
  std::string text =
      "node 0 class HTREE\\ROOT\\0\n"
      "node 1 class PCI\\VEN_8086&DEV_A36D\\3&11583659&0&A0\n"
      "node 2 class USB\\ROOT_HUB30\\4&2B2F2F3C&0&0\n"
      "usb 2 \\\\?\\usb#root_hub30#4&2b2f2f3c&0&0#{a5dcbf10-6530-11d2-901f-00c04fb951ed}\n";
  if (withPedal)
    text += "node 3 class USB\\VID_05F3&PID_00FF\\5&1A2B3C4D&0&1\n"
            "node 4 class HID\\VID_05F3&PID_00FF\\6&2C3D4E5F&0&0000\n"
            "usb 3 \\\\?\\usb#vid_05f3&pid_00ff#5&1a2b3c4d&0&1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}\n"
            "hid 4 " + std::string(pipe.begin(), pipe.end()) + "\n";
  return text;
}

int Fail(const char* what) {
  std::printf("key delay bench: %s\n", what);
  std::fflush(stdout);
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int keys = 200;
  for (int i = 1; i + 1 < argc; i += 2)
    if (std::wcscmp(argv[i], L"--keys") == 0) keys = std::max(1, _wtoi(argv[i + 1]));
  QueryPerformanceFrequency(&g_frequency);

  WNDCLASSW wc{};
  wc.lpfnWndProc = TargetProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TolvKeyDelayTarget";
  RegisterClassW(&wc);
  HWND target = CreateWindowExW(0, wc.lpszClassName, L"typist's editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 100,
                                300, 200, nullptr, nullptr, wc.hInstance, nullptr);
  if (!target) return Fail("no window");

  Report("no player running", Measure(target, keys));

  // A copy of the player in a folder of its own, with the device-tree doubles.
  const std::wstring here = ExeFolder();
  const std::wstring folder = here + L"key-delay-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  for (const wchar_t* file : {L"tolv.exe", L"cfgmgr32.dll", L"setupapi.dll"})
    if (!CopyFileW((here + file).c_str(), (folder + file).c_str(), FALSE)) return Fail("cannot copy the player");
  const std::wstring pipePath = L"\\\\.\\pipe\\tolv-key-delay-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring tree = folder + L"devices.txt";
  if (!WriteText(tree, Tree(false, pipePath))) return Fail("cannot write the device tree");
  SetEnvironmentVariableW(L"TOLV_PEDAL_DEVICE_TREE", tree.c_str());
  SetEnvironmentVariableW(L"TOLV_UPDATE_SERVICE", L"http://127.0.0.1:9");
  HKEY settings = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quenmark\\Tolv\\Settings", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &settings, nullptr) == ERROR_SUCCESS) {
    const DWORD one = 1;  // no first-start codec notice in front of the keys
    RegSetValueExW(settings, L"DontShowKLCodecMsg", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(settings);
  }
  HANDLE pipe = CreateNamedPipeW(pipePath.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                 PIPE_TYPE_MESSAGE | PIPE_WAIT, 1, 64, 64, 0, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) return Fail("no pipe");

  std::wstring cmd = L"\"" + folder + L"tolv.exe\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
    return Fail("tolv.exe did not start");
  CloseHandle(pi.hThread);
  HWND frame = nullptr;
  PumpUntil([&] { return (frame = FindWindowW(L"TolvMainFrame", nullptr)) != nullptr; }, 30000);
  if (!frame) return Fail("no main window");
  PumpUntil([] { return false; }, 2000);  // start-up settles, the watcher searches
  Report("tolv.exe running, no pedal", Measure(target, keys));

  // The pedal is plugged in: the watcher opens it within about a second.
  OVERLAPPED connect{};
  connect.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const BOOL connectedAtOnce = ConnectNamedPipe(pipe, &connect);
  const DWORD connectError = GetLastError();
  if (!WriteText(tree, Tree(true, pipePath))) return Fail("cannot write the device tree");
  const bool opened = connectedAtOnce || connectError == ERROR_PIPE_CONNECTED ||
                      PumpUntil([&] { return WaitForSingleObject(connect.hEvent, 0) == WAIT_OBJECT_0; }, 10000);
  if (!opened) return Fail("the player did not open the pedal");
  PumpUntil([] { return false; }, 1000);  // the pedal timer runs
  Report("tolv.exe running, a pedal open and at rest", Measure(target, keys));

  PostMessageW(frame, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  CloseHandle(connect.hEvent);
  CloseHandle(pipe);
  for (const wchar_t* file : {L"tolv.exe", L"cfgmgr32.dll", L"setupapi.dll", L"devices.txt", L"tolv3.cfg",
                              L"log.txt", L"playlist.tolv", L"bookmarks.tolv"})
    DeleteFileW((folder + file).c_str());
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"Configuration\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      DeleteFileW((folder + L"Configuration\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW((folder + L"Configuration").c_str());
  RemoveDirectoryW(folder.c_str());
  return 0;
}
