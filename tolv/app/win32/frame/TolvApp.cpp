#include "tolv/app/win32/frame/TolvApp.h"

#include <commctrl.h>
#include <ole2.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/sinks/null_sink.h>
#include <spdlog/spdlog.h>

#include "tolv/app/CommandLine.h"
#include "tolv/app/PlogFormatter.h"
#include "tolv/app/resource.h"
#include "tolv/app/win32/StartupNotices.h"
#include "tolv/update/win32/DlgDownload.h"
#include "tolv/config/Settings.h"
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/hotkeys/Hotkeys.h"
#include "tolv/pedals/win32/DeviceNotifications.h"
#include "tolv/update/UpdateCheck.h"
#include "tolv/update/win32/WinHttpClient.h"

namespace tolv {
namespace {

constexpr wchar_t kMediaPlayerComponentKey[] =
    L"SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{6BF52A52-394A-11d3-B153-00C04F79FAA6}";

// One plain-text log file in the working directory, appended to without limit.
std::shared_ptr<spdlog::logger> OpenLog() {
  std::shared_ptr<spdlog::sinks::sink> sink;
  try {
    sink = std::make_shared<spdlog::sinks::basic_file_sink_mt>("log.txt", false);
  } catch (const std::exception&) {
    sink = std::make_shared<spdlog::sinks::null_sink_mt>();
  }
  sink->set_formatter(std::make_unique<PlogFormatter>());
  auto logger = std::make_shared<spdlog::logger>("tolv", sink);
  logger->set_level(spdlog::level::debug);
  // Other parts of the program write their records through the registry's "tolv".
  try {
    spdlog::register_logger(logger);
  } catch (const std::exception&) {
  }
  return logger;
}

// The update service; a test points it elsewhere through the environment.
std::wstring UpdateServiceAddress() {
  wchar_t address[512];
  const DWORD n = GetEnvironmentVariableW(L"TOLV_UPDATE_SERVICE", address, 512);
  return n > 0 && n < 512 ? std::wstring(address, n) : std::wstring(kUpdateServiceAddress);
}

}  // namespace

std::wstring OpenDocumentFailureText(const std::wstring& path, DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return path + L"\nCannot find this file.\nPlease verify that the correct path and file name are given.";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return L"Unable to read from " + path + L", it is opened by someone else.";
    default:
      return L"Failed to open document.";
  }
}

bool CTolvDoc::OnOpenDocument(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    MessageBoxW(nullptr, OpenDocumentFailureText(path, error).c_str(), kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  CloseHandle(file);
  return true;
}

CTolvApp::CTolvApp() : log_(OpenLog()) {}

CTolvApp::~CTolvApp() {
  frame_.reset();
  if (oleInitialised_) OleUninitialize();
  log_->flush();
}

bool CTolvApp::InitInstance(const std::wstring& commandLine) {
  commandLine_ = commandLine;
  return tolv::InitInstance(*this, *log_);
}

int CTolvApp::Run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    HWND frame = mainWindow();
    if (frame && accelerators_ && TranslateAcceleratorW(frame, accelerators_, &msg)) continue;
    if (CDialog::PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  frame_.reset();
  return static_cast<int>(msg.wParam);
}

// --- the steps of start-up, in their order ---

bool CTolvApp::MediaPlayerInstalled() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMediaPlayerComponentKey, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
    return false;
  // Only the value's presence counts, not its content.
  const bool installed = RegQueryValueExW(key, L"IsInstalled", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return installed;
}

void CTolvApp::ShowMediaPlayerMissingNotice() { CMessageWMPNotInstalled().DoModal(nullptr); }

void CTolvApp::ShowSplash() {
  splash_.Create(nullptr);
  if (splash_.hwnd()) ShowWindow(splash_.hwnd(), SW_SHOWNOACTIVATE);
}

void CTolvApp::SetRegistryLocation() {
  profile_ = std::make_unique<CRegistryProfileStore>(kProfileKey);
  settings_ = std::make_unique<CSettingsStore>(*profile_);
}

// The update offer shows its answer in a rich-text box.
void CTolvApp::LoadRichEditLibrary() { tolv::LoadRichEditLibrary(); }

// The frame always shows itself normally (CMainFrame::ShowFirstTime), whatever
// the launcher asked for.
void CTolvApp::ForceShowNormal() {}

void CTolvApp::InitCommonControls() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES |
                                            ICC_LINK_CLASS | ICC_DATE_CLASSES | ICC_USEREX_CLASSES |
                                            ICC_COOL_CLASSES | ICC_INTERNET_CLASSES | ICC_PAGESCROLLER_CLASS |
                                            ICC_NATIVEFNTCTL_CLASS};
  InitCommonControlsEx(&icc);
}

// The window framework needs no set-up of its own.
void CTolvApp::InitFramework() {}

bool CTolvApp::InitOle() {
  oleInitialised_ = SUCCEEDED(OleInitialize(nullptr));
  return oleInitialised_;
}

void CTolvApp::ShowMessage(const std::wstring& text) {
  MessageBoxW(mainWindow(), text.c_str(), kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
}

// The form hosts the player control itself; OLE is all it needs.
void CTolvApp::EnableActiveXHosting() {}

void CTolvApp::FillHotkeyDefaults() { FillDefaultHotkeys(); }

void CTolvApp::RegisterKnownExtensions() {
  // Eight of the ten extensions keep their flag in the configuration file.
  reservedConfig.extensionFlags.fill(0);
}

void CTolvApp::ReadConfiguration() { LoadMainConfiguration(dataFiles_); }

void CTolvApp::CreateDocumentTemplate() { documentTemplate_ = true; }

bool CTolvApp::ProcessShellCommand() {
  if (!documentTemplate_) return false;
  // Started by COM to serve the notification classes: no medium to open.
  const std::wstring path = IsComServerLaunch(commandLine_) ? std::wstring() : CommandLineMediaPath(commandLine_);
  frame_ = std::make_unique<CMainFrame>(*settings_, player_);
  frame_->view().setDataFiles(&dataFiles_);
  if (!frame_->Create()) {
    frame_.reset();
    return false;
  }
  if (!path.empty() && !CTolvDoc::OnOpenDocument(path)) {
    // The view never sees its initialisation.
    frame_->DestroyWindow();
    frame_.reset();
    return false;
  }
  accelerators_ = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
  frame_->ShowFirstTime(path);
  return true;
}

void CTolvApp::CheckForUpdate() {
  CWinHttpClient http;
  CDownloadOffer offer(mainWindow(), *profile_);
  CUpdateCheck(http, *profile_, offer, UpdateServiceAddress()).CheckForUpdate();
}

int CTolvApp::DontShowKLCodecMsg() { return settings_->DontShowKLCodecMsg(); }

void CTolvApp::ShowCodecNotice() { DlgKLCodec(*settings_).DoModal(mainWindow()); }

void CTolvApp::ApplyAlwaysOnTop() {
  if (frame_) frame_->SetAlwaysOnTop(alwaysOnTop != 0);
}

}  // namespace tolv
