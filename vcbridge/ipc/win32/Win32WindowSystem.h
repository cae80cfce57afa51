#pragma once
#include "vcbridge/ipc/WindowSystem.h"

namespace vcb {

// The window port on user32: classes of the executable's module, windows
// whose procedure is DefWindowProcW, GetMessageW on the calling thread.
class Win32WindowSystem : public IWindowSystem {
 public:
  bool registerClass(const std::wstring& className) override;
  WindowHandle createWindow(const std::wstring& className, const std::wstring& title) override;
  GetResult getMessage(WindowMessage* out) override;
  bool postQuit(WindowHandle window) override;
  bool destroyWindow(WindowHandle window) override;
  bool unregisterClass(const std::wstring& className) override;
};

// Installs a process-wide Win32WindowSystem as the window port.
void useWin32WindowSystem();

}  // namespace vcb
