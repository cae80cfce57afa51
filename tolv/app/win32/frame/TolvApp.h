#pragma once
// The application object: prepares the process (log, registry location,
// component checks, configuration, document template), creates the main
// frame with its view, shows the one-time notices and runs the message loop
// until the frame is closed.
#include <windows.h>

#include <memory>
#include <string>

#include <spdlog/logger.h>

#include "tolv/app/SettingsStore.h"
#include "tolv/app/Startup.h"
#include "tolv/app/win32/Win32ProfileStore.h"
#include "tolv/app/win32/frame/Dialogs.h"
#include "tolv/app/win32/frame/MainFrame.h"
#include "tolv/app/win32/frame/NoMediaPlayer.h"
#include "tolv/config/win32/Win32DataFiles.h"

namespace tolv {

// The document: it stores and reads nothing. Opening a path only opens the
// file for reading, other writers excluded, and closes it again.
class CTolvDoc {
 public:
  // False (after the framework's message) when the file cannot be opened so.
  static bool OnOpenDocument(const std::wstring& path);
};

// The framework's text for a document that cannot be opened.
std::wstring OpenDocumentFailureText(const std::wstring& path, DWORD error);

class CTolvApp : private IStartupSteps {
 public:
  // Starts the log ("log.txt" in the working directory).
  CTolvApp();
  ~CTolvApp() override;

  // False when start-up failed and the program should end.
  bool InitInstance(const std::wstring& commandLine);
  int Run();
  CMainFrame* mainFrame() { return frame_.get(); }

 private:
  // --- the steps of start-up ---
  bool MediaPlayerInstalled() override;
  void ShowMediaPlayerMissingNotice() override;
  void ShowSplash() override;
  void SetRegistryLocation() override;
  void LoadRichEditLibrary() override;
  void ForceShowNormal() override;
  void InitCommonControls() override;
  void InitFramework() override;
  bool InitOle() override;
  void ShowMessage(const std::wstring& text) override;
  void EnableActiveXHosting() override;
  void FillHotkeyDefaults() override;
  void RegisterKnownExtensions() override;
  void ReadConfiguration() override;
  void CreateDocumentTemplate() override;
  bool ProcessShellCommand() override;
  void CheckForUpdate() override;
  int DontShowKLCodecMsg() override;
  void ShowCodecNotice() override;
  void ApplyAlwaysOnTop() override;

  HWND mainWindow() const { return frame_ ? frame_->hwnd() : nullptr; }

  std::shared_ptr<spdlog::logger> log_;
  std::wstring commandLine_;
  std::unique_ptr<CRegistryProfileStore> profile_;
  std::unique_ptr<CSettingsStore> settings_;
  Win32DataFiles dataFiles_;
  CNoMediaPlayer player_;
  CSplashDlg splash_;
  std::unique_ptr<CMainFrame> frame_;
  HACCEL accelerators_ = nullptr;
  bool oleInitialised_ = false;
  bool documentTemplate_ = false;
};

}  // namespace tolv
