#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "tolv/hotkeys/HotkeyDispatcher.h"
#include "tolv/hotkeys/MessageBoxPort.h"

namespace tolv {

// The desktop-wide low-level keyboard hook. Windows calls it on the installing thread
// while that thread dispatches messages, so install it from the user-interface thread.
// One hook per process: the procedure reaches the dispatcher through a process-wide pointer.
class Win32KeyboardHook {
 public:
  Win32KeyboardHook() = default;
  Win32KeyboardHook(const Win32KeyboardHook&) = delete;
  Win32KeyboardHook& operator=(const Win32KeyboardHook&) = delete;
  ~Win32KeyboardHook() { Uninstall(); }

  // False when Windows refuses the hook; the hotkeys then simply do not work.
  bool Install(HotkeyDispatcher& dispatcher, HINSTANCE instance);
  void Uninstall();
  bool installed() const { return hook_ != nullptr; }

 private:
  HHOOK hook_ = nullptr;
};

// A command for the main window, run after the hook has returned.
void PostCommandToWindow(HWND window, uint32_t commandId);

// Modal message boxes owned by a window, with the application's caption.
class Win32MessageBox : public IMessageBoxPort {
 public:
  Win32MessageBox(HWND owner, std::wstring caption) : owner_(owner), caption_(std::move(caption)) {}
  MessageBoxAnswer Show(const std::wstring& text, MessageBoxKind kind) override;

 private:
  HWND owner_;
  std::wstring caption_;
};

}  // namespace tolv
