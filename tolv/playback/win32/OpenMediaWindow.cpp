#include "tolv/playback/win32/OpenMediaWindow.h"

#include "tolv/playback/win32/MessagePump.h"
#include "tolv/playback/win32/VideoResizeHelpDialog.h"

namespace tolv {

void CWin32OpenMediaWindow::ShowVideoResizeHelp(CVideoResizeHelp& dialog) { ShowVideoResizeHelpDialog(view_, dialog); }

void CWin32OpenMediaWindow::PumpPendingMessages() { PumpPendingThreadMessages(); }

void CWin32OpenMediaWindow::HidePlaceholder() {
  if (HWND picture = GetDlgItem(view_, PlaceholderPictureId)) ShowWindow(picture, SW_HIDE);
}

void CWin32OpenMediaWindow::RedrawView() {
  RedrawWindow(view_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CWin32OpenMediaWindow::RelayoutForm() {
  if (relayout_) relayout_();
}

}  // namespace tolv
