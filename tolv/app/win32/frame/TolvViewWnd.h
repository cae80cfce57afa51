#pragma once
// The main form (template 101) as a child window of the frame: it places its
// controls by the form arrangement, paints the gradient, draws the coloured
// buttons, and is the ITolvForm the playback view drives.
#include <windows.h>

#include <memory>
#include <string>

#include "tolv/app/Appearance.h"
#include "tolv/app/SettingsStore.h"
#include "tolv/app/win32/frame/ToolWindows.h"
#include "tolv/app/win32/Wnd.h"
#include "tolv/config/DataFiles.h"
#include "tolv/app/win32/frame/MediaOpening.h"
#include "tolv/playback/GapFillingPlayer.h"
#include "tolv/playback/MediaPlayerSlot.h"
#include "tolv/playback/TolvView.h"
#include "tolv/playback/win32/DlgOpenFileFromRemote.h"
#include "tolv/playback/win32/MediaPlayerHost.h"
#include "tolv/playback/win32/WMPPlayer4.h"
#include "tolv/playback/win32/WindowPorts.h"

namespace tolv {

class CViewLifecycle;

class CTolvViewWnd : public CDialog, public ITolvForm {
 public:
  // `player` is driven until the media player control is hosted, and instead
  // of it when the control cannot be created.
  explicit CTolvViewWnd(IMediaPlayer& player);
  ~CTolvViewWnd() override;

  // The view's fields of the compact mode.
  bool expanded = true;
  int expandDelta = 0;

  CTolvView& view() { return *view_; }
  // Places every control for the current client size and repaints.
  void Arrange();
  // New appearance colours (the settings' values): the gradient is rebuilt at once.
  void SetAppearance(ColorRef from, ColorRef to);
  // The medium name shown in the file name label (shortened when long).
  const std::wstring& mediumName() const { return mediumName_; }
  // Frame height that still holds the compact form, for this frame window.
  int CompactFrameHeight() const;
  // Button 1002.
  void ToggleCompact();
  void StopTimers();

  // --- start and end (ViewLifecycle.h) ---
  // Where the configuration is saved when the view is destroyed.
  void setDataFiles(IDataFiles* files) { dataFiles_ = files; }
  IDataFiles* dataFiles() const { return dataFiles_; }
  // The framework's first showing of the view, after the document opened.
  void OnInitialUpdate(const std::wstring& commandLinePath);
  // Closing the frame, after StopTimers.
  void StopPedalWatcher();

  // The playlist and Bookmarks windows, hidden until asked for; called once by
  // the view's initialisation. toolWindows() is then the IMediaLists of the opens.
  bool CreatePlaylistAndBookmarkWindows(CSettingsStore& settings, IDataFiles& files);
  CToolWindows* toolWindows() { return toolWindows_.get(); }

  // --- the media player control and opening media ---
  // The "Files" positions of the open; set before the frame is created.
  void setSettingsStore(CSettingsStore* settings) { settings_ = settings; }
  bool playerHosted() const { return slot_.hosted(); }
  // Null until the form is initialised.
  CMediaOpening* mediaOpening() { return opening_.get(); }
  // Menu "Open file on local disk...": the standard open dialog, then the open.
  void OnFileOpen();
  // Menu "Open file from remote...".
  void ShowOpenRemote();

  // --- ITolvForm ---
  bool isPushed(TransportButton button) override;
  void setPushed(TransportButton button, bool pushed) override;
  void setPlayIcon(bool playing) override;
  void enableStop(bool enabled) override;
  void focusStop() override;
  int sliderPos(SliderId slider) override;
  void setSliderPos(SliderId slider, int pos) override;
  int sliderRangeMax(SliderId slider) override;
  void setSliderRange(SliderId slider, int min, int max, bool redraw) override;
  void setSliderPageSize(SliderId slider, int size) override;
  void setSliderLineSize(SliderId slider, int size) override;
  void setSliderTicFreq(SliderId slider, int freq) override;
  void setSliderTickSide(SliderId slider, TickSide side) override;
  void focusSlider(SliderId slider) override;
  int sliderChannelWidth(SliderId slider) override;
  void setLabel(LabelId label, std::wstring_view text) override;
  void setTitle(std::wstring_view text) override;
  std::wstring editText(EditId edit) override;
  void setEditText(EditId edit, std::wstring_view text) override;
  void setStopwatchIcon(bool running) override;
  void openPlaypointDialog() override;

 protected:
  BOOL OnInitDialog() override;
  // Enter and Esc inside the form do nothing.
  void OnOK() override {}
  void OnCancel() override {}

 private:
  void MapMessages();
  void OnDestroy();
  void MapMediaMessages();
  // Hosts the control in the video area; keeps the stand-in when it cannot.
  void CreatePlayerControl();
  void InitMediaOpening();
  void RebuildGradient();
  void RepaintSliders();
  LRESULT OnCtlColor(HDC dc, HWND control);
  LRESULT OnDrawItem(DRAWITEMSTRUCT* item);
  void DrawButton(DRAWITEMSTRUCT* item);
  void DrawPicture(DRAWITEMSTRUCT* item);
  static LRESULT CALLBACK SliderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
  HWND slider(SliderId id) const { return item(static_cast<int>(id)); }

  CSettingsStore* settings_ = nullptr;
  CMediaPlayerSlot slot_;
  IMediaPlayer& player_;
  CMediaPlayerHost host_;
  std::unique_ptr<CWMPPlayer4> component_;
  std::unique_ptr<CGapFillingPlayer> hosted_;
  std::unique_ptr<CWindowTimers> timers_;
  std::unique_ptr<CMessageBoxes> boxes_;
  std::unique_ptr<CTolvView> view_;
  std::unique_ptr<CViewLifecycle> lifecycle_;
  IDataFiles* dataFiles_ = nullptr;
  // The tool windows' record files; they outlive the windows.
  Win32DataFiles listFiles_;
  std::unique_ptr<CToolWindows> toolWindows_;
  std::unique_ptr<CMediaOpening> opening_;
  std::unique_ptr<CDlgOpenFileFromRemote> openRemote_;
  HBITMAP gradientBitmap_ = nullptr;
  HBRUSH gradientBrush_ = nullptr;
  std::wstring mediumName_;
  int lastVideoHeight_ = 0;
  bool largeIcons_ = true;
  bool playIconPlaying_ = false;
  bool stopwatchRunning_ = false;
  bool mediumShown_ = false;
};

// The process-wide main view, set early in its initialisation.
CTolvViewWnd* MainView();

}  // namespace tolv
