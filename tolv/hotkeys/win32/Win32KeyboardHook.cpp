#include "tolv/hotkeys/win32/Win32KeyboardHook.h"

#include "tolv/hotkeys/KeyboardHook.h"

namespace tolv {

namespace {

HotkeyDispatcher* hookDispatcher = nullptr;
HHOOK hookHandle = nullptr;

class Win32NextHook : public INextHook {
 public:
  intptr_t CallNext(int code, uintptr_t wParam, intptr_t lParam) override {
    return CallNextHookEx(hookHandle, code, WPARAM(wParam), LPARAM(lParam));
  }
};

LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  Win32NextHook next;
  if (!hookDispatcher) return next.CallNext(code, wParam, lParam);
  LowLevelKeyEvent event;
  const LowLevelKeyEvent* record = nullptr;
  if (code == HC_ACTION && lParam) {
    const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    event.message = uint32_t(wParam);
    event.vkCode = info->vkCode;
    event.flags = info->flags;
    record = &event;
  }
  return HotkeyHookProcedure(*hookDispatcher, next, code, record, wParam, lParam);
}

}  // namespace

bool Win32KeyboardHook::Install(HotkeyDispatcher& dispatcher, HINSTANCE instance) {
  Uninstall();
  hookDispatcher = &dispatcher;
  hook_ = SetWindowsHookExW(WH_KEYBOARD_LL, LowLevelKeyboardProc, instance, 0);
  hookHandle = hook_;
  if (!hook_) hookDispatcher = nullptr;
  return hook_ != nullptr;
}

void Win32KeyboardHook::Uninstall() {
  if (!hook_) return;
  UnhookWindowsHookEx(hook_);
  hook_ = nullptr;
  hookHandle = nullptr;
  hookDispatcher = nullptr;
}

void PostCommandToWindow(HWND window, uint32_t commandId) {
  PostMessageW(window, WM_COMMAND, WPARAM(commandId), 0);
}

MessageBoxAnswer Win32MessageBox::Show(const std::wstring& text, MessageBoxKind kind) {
  const UINT style = kind == MessageBoxKind::YesNo ? MB_YESNO : MB_OK | MB_ICONINFORMATION;
  switch (MessageBoxW(owner_, text.c_str(), caption_.c_str(), style)) {
    case IDYES: return MessageBoxAnswer::Yes;
    case IDNO: return MessageBoxAnswer::No;
    default: return kind == MessageBoxKind::YesNo ? MessageBoxAnswer::No : MessageBoxAnswer::Ok;
  }
}

}  // namespace tolv
