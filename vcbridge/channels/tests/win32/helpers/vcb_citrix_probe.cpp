// vcb_citrix_probe.exe missing|loaded
// Makes both Citrix transports with the real WFAPI.dll loader and checks
// them against the expectation; exit code 0 when every check holds, else a
// bit per failed check. The Wine suite runs it from a folder without
// WFAPI.dll ("missing") and from the build's bin folder ("loaded").
#include <windows.h>

#include <string>

#include "vcbridge/channels/CitrixVC.h"
#include "vcbridge/channels/win32/WfApiLibrary.h"
#include "vcbridge/core/win32/Win32Kernel.h"

int wmain(int argc, wchar_t** argv) {
  vcb::useWin32Kernel();
  bool expectMissing = argc > 1 && std::wstring(argv[1]) == L"missing";
  int failed = 0;
  auto check = [&failed](int bit, bool ok) {
    if (!ok) failed |= 1 << bit;
  };

  SetLastError(0);
  bool loaded = vcb::loadWfApiLibrary() != nullptr;
  DWORD loadError = GetLastError();
  if (!expectMissing) return loaded ? 0 : 1;
  check(0, !loaded);
  check(1, loadError == ERROR_MOD_NOT_FOUND);

  vcb::CitrixVC dss(vcb::loadWfApiLibrary);
  vcb::CitrixVC_CFA cfa(vcb::loadWfApiLibrary);
  vcb::CBinary buffer(64);
  uint32_t got = 0;
  check(2, !dss.Open());
  check(3, !dss.Write(buffer));
  check(4, !dss.Read(buffer, got, 0));
  check(5, !dss.IsOpen());
  check(6, dss.GetConnectState() == 4);
  check(7, !cfa.Open());
  check(8, !cfa.Write(buffer));
  check(9, !cfa.Read(buffer, got, 0));
  check(10, !cfa.IsOpen());
  cfa.Refresh();
  return failed;
}
