#pragma once
// The application object: prepares the process, creates the main frame with
// its view and runs the message loop until the frame is closed.
#include <windows.h>

#include <memory>
#include <string>

#include "tolv/app/SettingsStore.h"
#include "tolv/app/win32/Win32ProfileStore.h"
#include "tolv/app/win32/frame/Dialogs.h"
#include "tolv/app/win32/frame/MainFrame.h"
#include "tolv/app/win32/frame/NoMediaPlayer.h"

namespace tolv {

class CTolvApp {
 public:
  // False when start-up failed and the program should end.
  bool InitInstance(const std::wstring& commandLine);
  int Run();
  CMainFrame* mainFrame() { return frame_.get(); }

  // "Always on top" until the configuration supplies it.
  bool alwaysOnTop = false;

 private:
  CRegistryProfileStore profile_;
  CSettingsStore settings_{profile_};
  CNoMediaPlayer player_;
  CSplashDlg splash_;
  std::unique_ptr<CMainFrame> frame_;
  HACCEL accelerators_ = nullptr;
  bool oleInitialised_ = false;
};

}  // namespace tolv
