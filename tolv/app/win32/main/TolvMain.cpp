// Entry point of the player: the application object from its log to the end
// of the message loop.
#include <windows.h>

#include "tolv/app/win32/frame/TolvApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  tolv::CTolvApp app;
  if (!app.InitInstance(commandLine ? commandLine : L"")) return 1;
  return app.Run();
}
