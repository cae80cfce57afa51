#pragma once
// The application object's start-up: the order of its steps, what ends it and
// the few records it writes to log.txt. The steps themselves are the
// platform's (win32/frame/TolvApp.cpp).
#include <spdlog/logger.h>

#include <array>
#include <string>

namespace tolv {

// Media extensions the player knows, in the order they are registered, each
// with flag 0 until the configuration is read.
inline constexpr std::array<const wchar_t*, 10> kKnownMediaExtensions = {
    L"mp3", L"wma", L"dss", L"ds2", L"dvf", L"msv", L"mpg", L"mpeg", L"wmv", L"flv"};

inline constexpr wchar_t kOleInitFailed[] = L"OLE init failed";

// One operation per start-up step. Notices and messages are modal: they
// return when the user has closed them.
class IStartupSteps {
 public:
  virtual ~IStartupSteps() = default;
  virtual bool MediaPlayerInstalled() = 0;
  virtual void ShowMediaPlayerMissingNotice() = 0;
  virtual void ShowSplash() = 0;
  virtual void SetRegistryLocation() = 0;
  virtual void LoadRichEditLibrary() = 0;
  virtual void ForceShowNormal() = 0;
  virtual void InitCommonControls() = 0;
  virtual void InitFramework() = 0;
  virtual bool InitOle() = 0;
  virtual void ShowMessage(const std::wstring& text) = 0;
  virtual void EnableActiveXHosting() = 0;
  virtual void FillHotkeyDefaults() = 0;
  virtual void RegisterKnownExtensions() = 0;
  virtual void ReadConfiguration() = 0;
  virtual void CreateDocumentTemplate() = 0;
  // Creates the main frame, document and view and opens the command line's
  // file as the document; false when that fails (the framework has told the user).
  virtual bool ProcessShellCommand() = 0;
  virtual void CheckForUpdate() = 0;
  virtual int DontShowKLCodecMsg() = 0;
  virtual void ShowCodecNotice() = 0;
  // Topmost or normal order by the "Always on top" setting.
  virtual void ApplyAlwaysOnTop() = 0;
};

// Runs InitInstance over the steps; false when the program is to end.
// Exceptions of the steps from the show command to the document template are
// logged and skip the rest of them; the shell command then fails unless the
// template was created.
bool InitInstance(IStartupSteps& steps, spdlog::logger& log);

}  // namespace tolv
