#include "tolv/app/win32/frame/TolvApp.h"

#include <commctrl.h>
#include <ole2.h>

#include "tolv/app/Appearance.h"
#include "tolv/app/CommandLine.h"
#include "tolv/app/resource.h"

namespace tolv {

bool CTolvApp::InitInstance(const std::wstring& commandLine) {
  splash_.Create(nullptr);
  if (splash_.hwnd()) ShowWindow(splash_.hwnd(), SW_SHOWNOACTIVATE);

  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  if (FAILED(OleInitialize(nullptr))) {
    MessageBoxW(nullptr, L"OLE init failed", kProgramTitle, MB_OK | MB_ICONERROR);
    return false;
  }
  oleInitialised_ = true;

  // Until the configuration is read, the form shows the default colours.
  frame_ = std::make_unique<CMainFrame>(settings_, player_, kDefaultColorFrom, kDefaultColorTo);
  if (!frame_->Create()) return false;
  accelerators_ = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));

  // The medium named on the command line opens and plays at the end of the view's initialisation.
  const std::wstring path = CommandLineMediaPath(commandLine);
  if (!path.empty()) {
    try {
      frame_->view().view().OpenMedia(path, true);
    } catch (...) {
      ReportHandlerException(frame_->hwnd());
    }
  }

  frame_->ShowFirstTime();
  frame_->SetAlwaysOnTop(alwaysOnTop);
  return true;
}

int CTolvApp::Run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    HWND frame = frame_ ? frame_->hwnd() : nullptr;
    if (frame && accelerators_ && TranslateAcceleratorW(frame, accelerators_, &msg)) continue;
    if (CDialog::PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  frame_.reset();
  if (oleInitialised_) OleUninitialize();
  return static_cast<int>(msg.wParam);
}

}  // namespace tolv
