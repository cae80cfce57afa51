// Demo only: a short transcription session with the real player, told as it
// happens. Starts tolv.exe from the demo folder on a recording (which it
// plays at once), opens a typist's editor (hotkey_typist.exe) in front of it,
// types F4 (stop), F1 (play), F9 (timestamp) and F4 through the system's
// input, saves a picture of the screen, prints what the editor received, then
// closes the player.
//   tolv_demo.exe <demo folder> <recording> <screenshot.bmp>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace {

constexpr UINT kTypeKey = WM_APP + 1;  // hotkey_typist: wParam key, lParam 0 down / 1 up
constexpr int kPositionLabel = 1031;
constexpr int kFileNameLabel = 1027;

std::wstring ExeFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path);
  return p.substr(0, p.find_last_of(L"\\/") + 1);
}

std::wstring Text(HWND w) {
  wchar_t text[1024] = {};
  if (w) SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s.push_back(c < 128 ? static_cast<char>(c) : '?');
  return s;
}

bool WaitFor(const std::function<bool()>& cond, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!cond()) {
    if (GetTickCount() - start > ms) return false;
    Sleep(20);
  }
  return true;
}

HWND FindTopLevel(DWORD pid, const wchar_t* className, const wchar_t* title) {
  struct Data {
    DWORD pid;
    const wchar_t* className;
    const wchar_t* title;
    HWND found;
  } data{pid, className, title, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* d = reinterpret_cast<Data*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        wchar_t cls[64] = {};
        GetClassNameW(w, cls, 64);
        if (owner != d->pid || !IsWindowVisible(w) || lstrcmpW(cls, d->className) != 0) return TRUE;
        if (d->title && Text(w) != d->title) return TRUE;
        d->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&data));
  return data.found;
}

HANDLE Start(const std::wstring& program, const std::wstring& args, const std::wstring& folder, DWORD& pid) {
  std::wstring cmd = L"\"" + program + L"\" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  pid = pi.dwProcessId;
  return pi.hProcess;
}

// The whole screen as a 24-bit BMP.
bool SaveScreen(const std::wstring& path) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  GdiFlush();
  const DWORD stride = (width * 3 + 3) & ~3u, size = stride * height;
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size), 0, 0,
                        sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  bool ok = false;
  if (FILE* f = _wfopen(path.c_str(), L"wb")) {
    ok = fwrite(&file, sizeof(file), 1, f) == 1 && fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, f) == 1 &&
         fwrite(bits, 1, size, f) == size;
    fclose(f);
  }
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

int Fail(const char* what) {
  std::printf("demo: %s\n", what);
  std::fflush(stdout);
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return Fail("usage: tolv_demo.exe <demo folder> <recording> <screenshot.bmp>");
  std::wstring folder = argv[1];
  if (folder.back() != L'\\') folder += L'\\';
  const std::wstring recording = argv[2], picture = argv[3];
  // Without a window manager Wine draws the captions itself when asked to
  // (read when a program starts).
  HKEY x11 = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &x11,
                      nullptr) == ERROR_SUCCESS) {
    RegSetValueExW(x11, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 4);
    RegCloseKey(x11);
  }
  // Nobody answers the update question here; the check fails at once.
  SetEnvironmentVariableW(L"TOLV_UPDATE_SERVICE", L"http://127.0.0.1:9");

  std::printf("1. tolv.exe \"%s\" starts (working folder %s)\n", Narrow(recording).c_str(), Narrow(folder).c_str());
  std::fflush(stdout);
  DWORD pid = 0;
  HANDLE player = Start(folder + L"tolv.exe", L"\"" + recording + L"\"", folder, pid);
  if (!player) return Fail("tolv.exe did not start");
  HWND frame = nullptr, notice = nullptr;
  if (!WaitFor([&] { return (frame = FindTopLevel(pid, L"TolvMainFrame", nullptr)) != nullptr; }, 30000))
    return Fail("no main window");
  // A first start recommends the codec once; the typist ticks "don't show" and closes it.
  if (WaitFor([&] { return (notice = FindTopLevel(pid, L"#32770", L"KL Codec")) != nullptr; }, 3000)) {
    std::printf("   the one-time \"KL Codec\" notice is up: ticking \"Don`t show this message again\", OK\n");
    SendMessageW(GetDlgItem(notice, 2495), BM_CLICK, 0, 0);  // IDC_NOTICE_DONT_SHOW
    PostMessageW(notice, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(notice); }, 5000);
  }
  HWND form = FindWindowExW(frame, nullptr, L"#32770", nullptr);
  std::printf("   main window \"%s\" (the length, then the position), medium \"%s\", playing\n",
              Narrow(Text(frame)).c_str(), Narrow(Text(GetDlgItem(form, kFileNameLabel))).c_str());

  std::printf("2. the typist's editor opens in front of the player and has the keyboard\n");
  std::fflush(stdout);
  DWORD editorPid = 0;
  HANDLE editorProcess = Start(ExeFolder() + L"hotkey_typist.exe", L"DemoEditor", L"", editorPid);
  HWND editor = nullptr;
  if (!editorProcess || !WaitFor([&] {
        editor = FindWindowW(L"DemoEditor", nullptr);
        return editor && Text(editor).rfind(L"R ", 0) == 0;
      }, 10000))
    return Fail("the editor did not come up");
  RECT playerRect{};
  GetWindowRect(frame, &playerRect);
  SetWindowPos(editor, HWND_TOP, playerRect.right + 20, playerRect.top + 60, 420, 140, SWP_SHOWWINDOW);
  SetWindowTextW(editor, Text(editor).c_str());
  HWND edit = FindWindowExW(editor, nullptr, L"Edit", nullptr);
  auto type = [&](UINT vk) {
    PostMessageW(editor, kTypeKey, vk, 0);
    PostMessageW(editor, kTypeKey, vk, 1);
  };
  // The label stays empty during the first second.
  auto position = [&] {
    const std::string label = Narrow(Text(GetDlgItem(form, kPositionLabel)));
    return label.empty() ? std::string("00:00:00") : label;
  };

  std::printf("3. F4 in the editor: STOP (the command line's recording has been playing)\n");
  std::fflush(stdout);
  type(VK_F4);
  WaitFor([&] { return position() == "00:00:00"; }, 5000);
  std::printf("   position %s\n", position().c_str());

  std::printf("4. F1 in the editor: PLAY\n");
  std::fflush(stdout);
  type(VK_F1);
  const bool moving = WaitFor([&] { return position() >= "00:00:03"; }, 15000);
  std::printf("   position %s%s\n", position().c_str(), moving ? " and running" : " (not moving)");

  std::printf("5. F9 in the editor: TIME STAMP\n");
  std::fflush(stdout);
  type(VK_F9);
  WaitFor([&] { return Text(edit).find(L":") != std::wstring::npos; }, 10000);
  Sleep(300);
  SaveScreen(picture);

  std::printf("6. F4 in the editor: STOP\n");
  std::fflush(stdout);
  type(VK_F4);
  type('Z');
  WaitFor([&] { return Text(editor).find(L"U5A ") != std::wstring::npos; }, 10000);
  const std::string stopped = position();
  Sleep(500);
  std::printf("   position %s, half a second later %s (the configuration's jump-back on stop)\n", stopped.c_str(),
              position().c_str());

  std::printf("\nWhat the editor received (key events that reached it, then its text):\n");
  std::printf("   keys: %s\n", Narrow(Text(editor)).c_str());
  std::printf("         (R = ready; Dxx/Uxx = key down/up of virtual key xx: 70 F1, 73 F4, 78 F9,\n"
              "          11 Ctrl, 56 V, 5A Z; Cxx = character. F1 never arrives, nor F4's key-down or F9's\n"
              "          key-up: the player took them. Ctrl+V is the player pasting the timestamp.)\n");
  std::printf("   text: \"%s\"\n", Narrow(Text(edit)).c_str());

  std::printf("\n7. the player closes: configuration written, log.txt kept\n");
  PostMessageW(frame, WM_CLOSE, 0, 0);
  const bool ended = WaitForSingleObject(player, 15000) == WAIT_OBJECT_0;
  DWORD code = 0;
  GetExitCodeProcess(player, &code);
  std::printf("   tolv.exe %s (exit code %lu); tolv3.cfg %zu bytes\n", ended ? "ended" : "did not end",
              static_cast<unsigned long>(code), ReadFile(folder + L"tolv3.cfg").size());
  std::printf("   log.txt:\n%s", ReadFile(folder + L"log.txt").c_str());
  PostMessageW(editor, kTypeKey, VK_F9, 1);  // F9's consumed key-up, now that no hook takes it
  PostMessageW(editor, WM_CLOSE, 0, 0);
  WaitForSingleObject(editorProcess, 5000);
  std::fflush(stdout);
  return ended && code == 0 ? 0 : 1;
}
