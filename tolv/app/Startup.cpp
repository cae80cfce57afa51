#include "tolv/app/Startup.h"

#include <spdlog/spdlog.h>

#include <exception>

namespace tolv {

bool InitInstance(IStartupSteps& steps, spdlog::logger& log) {
  if (!steps.MediaPlayerInstalled()) steps.ShowMediaPlayerMissingNotice();
  steps.ShowSplash();
  steps.SetRegistryLocation();
  steps.LoadRichEditLibrary();

  bool documentTemplate = false;
  try {
    steps.ForceShowNormal();
    steps.InitCommonControls();
    steps.InitFramework();
    if (!steps.InitOle()) {
      steps.ShowMessage(kOleInitFailed);
      return false;
    }
    steps.EnableActiveXHosting();
    steps.FillHotkeyDefaults();
    steps.RegisterKnownExtensions();
    steps.ReadConfiguration();
    steps.CreateDocumentTemplate();
    documentTemplate = true;
  } catch (const std::exception& e) {
    SPDLOG_LOGGER_ERROR(&log, "Error: {}", e.what());
  }

  if (!documentTemplate || !steps.ProcessShellCommand()) {
    SPDLOG_LOGGER_ERROR(&log, "!ProcessShellCommand(cmdInfo)");
    log.flush();
    return false;
  }

  steps.CheckForUpdate();
  if (steps.DontShowKLCodecMsg() == 0) {
    SPDLOG_LOGGER_INFO(&log, "theApp.GetProfileIntW(_T(\"Settings\"), _T(\"DontShowKLCodecMsg\"), 0) == 0");
    log.flush();
    steps.ShowCodecNotice();
  }
  steps.ApplyAlwaysOnTop();
  log.flush();
  return true;
}

}  // namespace tolv
