// Entry point of the relay. The application object comes with the channels;
// until then the program only takes its single-instance mutex and ends.
#include <windows.h>

#include "vcbridge/core/Mutex.h"
#include "vcbridge/core/win32/Win32Kernel.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  vcb::useWin32Kernel();
  vcb::Mutex single;
  if (!single.create(true, L"Varneth_DictaDeskPro_VirtualDriver_Mutex")) return 0;
  single.releaseAndClose();
  return 0;
}
