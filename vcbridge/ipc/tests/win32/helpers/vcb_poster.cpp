// Plays a session application towards the relay's message window, from a
// second process. The exit code is the answer:
//   vcb_poster post <message name> <wparam> <lparam>   0 posted, 2 no window, 3 post failed
//   vcb_poster send <message name> <wparam> <lparam>   0 sent and answered, 2 no window, 3 failed
//   vcb_poster find                                    0 the window exists, 2 it does not
//   vcb_poster register <message name>                 the registered number (0 on failure)
//   vcb_poster mutex <name>                            0 opened and free, 5 held by another, 2 missing
// 1: wrong arguments.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

constexpr const wchar_t* kClass = L"VRVC_WindowClass_VCB";

HWND relayWindow() { return FindWindowW(kClass, kClass); }

int postOrSend(bool post, const wchar_t* name, const wchar_t* w, const wchar_t* l) {
  HWND hwnd = relayWindow();
  if (!hwnd) return 2;
  UINT message = RegisterWindowMessageW(name);
  WPARAM wparam = static_cast<WPARAM>(std::wcstoull(w, nullptr, 10));
  LPARAM lparam = static_cast<LPARAM>(std::wcstoll(l, nullptr, 10));
  if (post) return PostMessageW(hwnd, message, wparam, lparam) ? 0 : 3;
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &result) ? 0 : 3;
}

int mutexState(const wchar_t* name) {
  HANDLE h = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name);
  if (!h) return 2;
  int code = 5;
  DWORD r = WaitForSingleObject(h, 0);
  if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) {
    ReleaseMutex(h);
    code = 0;
  }
  CloseHandle(h);
  return code;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring verb = argc > 1 ? argv[1] : L"";
  if ((verb == L"post" || verb == L"send") && argc == 5) return postOrSend(verb == L"post", argv[2], argv[3], argv[4]);
  if (verb == L"find" && argc == 2) return relayWindow() ? 0 : 2;
  if (verb == L"register" && argc == 3) return static_cast<int>(RegisterWindowMessageW(argv[2]));
  if (verb == L"mutex" && argc == 3) return mutexState(argv[2]);
  return 1;
}
