#pragma once
// Everything an open of the main view reaches besides the player: the
// converter and the dictation decoder, the "Files" positions of the settings
// store, the playlist and bookmark windows (whose lists the converter also
// updates), and the view's window services.
#include <windows.h>

#include <functional>
#include <utility>

#include "tolv/app/SettingsStore.h"
#include "tolv/app/win32/frame/ToolWindows.h"
#include "tolv/config/win32/Win32DataFiles.h"
#include "tolv/convert/MediaLinks.h"
#include "tolv/convert/win32/Win32ConvertPorts.h"
#include "tolv/convert/win32/Win32DictationSdk.h"
#include "tolv/playback/win32/OpenMediaWindow.h"

namespace tolv {

class CMediaOpening {
 public:
  // `view` owns the boxes; `relayout` arranges the form after an open.
  CMediaOpening(HWND view, const wchar_t* title, CSettingsStore& settings, CToolWindows& windows,
                std::function<void()> relayout)
      : windows_(windows),
        lists_(windows.playlist(), windows.bookmarks()),
        convertUi_(view, title),
        sdk_(view),
        converter_(platform_, convertUi_, lists_),
        decoder_(sdk_, platform_, convertUi_),
        conversions_(converter_, decoder_),
        positions_(settings),
        window_(view, std::move(relayout)) {}

  OpenMediaPorts ports() { return {&conversions_, &positions_, &windows_, &window_}; }

 private:
  CToolWindows& windows_;
  // The converter's view of the playlist: a converted source leaves it.
  CMediaLists lists_;
  CWin32ConvertPlatform platform_;
  CWin32ConvertUi convertUi_;
  // Without the device maker's SDK installed dictation files are refused after the codec question.
  CWin32DictationSdk sdk_;
  CConverter converter_;
  CDictationDecoder decoder_;
  CMediumConversions conversions_;
  CStoredMediumPositions positions_;
  CWin32OpenMediaWindow window_;
};

}  // namespace tolv
