#pragma once
// Window timers and message boxes of the view, on its window.
#include <windows.h>

#include "tolv/playback/TolvForm.h"

namespace tolv {

// SetTimer/KillTimer on the view's window: WM_TIMER with the id arrives in its queue.
class CWindowTimers : public ITimerPort {
 public:
  explicit CWindowTimers(HWND window) : window_(window) {}
  void setTimer(unsigned id, unsigned periodMs) override { SetTimer(window_, id, periodMs, nullptr); }
  void killTimer(unsigned id) override { KillTimer(window_, id); }

 private:
  HWND window_;
};

// Modal boxes owned by the view's window, titled like the application's.
class CMessageBoxes : public IMessageBoxes {
 public:
  CMessageBoxes(HWND owner, const wchar_t* title) : owner_(owner), title_(title) {}
  void show(std::wstring_view text, MessageIcon icon) override;

 private:
  HWND owner_;
  const wchar_t* title_;
};

}  // namespace tolv
