#include "vcbridge/core/app/win32/RelayMain.h"

#include "vcbridge/channels/win32/Win32SessionPlatform.h"
#include "vcbridge/core/Log.h"
#include "vcbridge/core/app/Application.h"
#include "vcbridge/core/app/win32/Win32InstallPort.h"
#include "vcbridge/core/win32/Win32Kernel.h"
#include "vcbridge/core/win32/Win32LogPorts.h"
#include "vcbridge/ipc/MessagePort.h"
#include "vcbridge/ipc/win32/Win32MessagePort.h"
#include "vcbridge/ipc/win32/Win32WindowSystem.h"

namespace vcb {

int runRelay(const RelayOptions& options) {
  useWin32Kernel();
  log::useWin32LogPorts();
  useWin32MessagePort();
  useWin32WindowSystem();
  registerMessages();
  static Win32SessionPlatform platform(options.forceRemoteSession);
  setSessionPlatform(&platform);
  Win32InstallPort install;
  Application app(install);
  app.InitInstance();
  return app.ExitInstance();
}

}  // namespace vcb
