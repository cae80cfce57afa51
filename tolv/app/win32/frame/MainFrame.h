#pragma once
// The main frame: caption, menu, status bar and the one form view.
#include <windows.h>

#include <memory>
#include <string>

#include "tolv/app/SettingsStore.h"
#include "tolv/app/win32/Wnd.h"
#include "tolv/app/win32/frame/TolvViewWnd.h"

namespace tolv {

inline constexpr wchar_t kMainFrameClass[] = L"TolvMainFrame";

// Placement record <-> the platform's structure.
WINDOWPLACEMENT ToWindowPlacement(const WindowPlacementRecord& record);
WindowPlacementRecord FromWindowPlacement(const WINDOWPLACEMENT& placement);

class CMainFrame : public CWnd {
 public:
  CMainFrame(CSettingsStore& settings, IMediaPlayer& player);

  // Creates the frame (hidden, topmost) with its status bar and view.
  bool Create();
  // The view's initialisation with the command line's medium, then the
  // stored placement, if any, and the window shown normally.
  void ShowFirstTime(const std::wstring& commandLinePath);
  void SetAlwaysOnTop(bool onTop);
  CTolvViewWnd& view() { return view_; }

 protected:
  void PostNcDestroy() override {}

 private:
  void MapMessages();
  void LayoutChildren();
  void UpdateIndicators();
  void OnClose();

  CSettingsStore& settings_;
  CTolvViewWnd view_;
  HWND statusBar_ = nullptr;
};

}  // namespace tolv
