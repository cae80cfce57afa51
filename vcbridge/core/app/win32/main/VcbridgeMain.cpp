// vcbridge.exe: the windowless relay of one remote session.
#include <windows.h>

#include "vcbridge/core/app/win32/RelayMain.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return vcb::runRelay({}); }
