#pragma once
// The window services of an open on the view's window.
#include <windows.h>

#include <functional>
#include <utility>

#include "tolv/playback/OpenMedia.h"

namespace tolv {

constexpr int PlaceholderPictureId = 1016;

class CWin32OpenMediaWindow : public IOpenMediaWindow {
 public:
  // `relayout` arranges the form for the loaded medium (the form's own layout code).
  CWin32OpenMediaWindow(HWND view, std::function<void()> relayout) : view_(view), relayout_(std::move(relayout)) {}

  void ShowVideoResizeHelp(CVideoResizeHelp& dialog) override;
  void PumpPendingMessages() override;
  void HidePlaceholder() override;
  void RedrawView() override;
  void RelayoutForm() override;

 private:
  HWND view_;
  std::function<void()> relayout_;
};

}  // namespace tolv
