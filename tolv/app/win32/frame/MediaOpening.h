#pragma once
// Everything an open of the main view reaches besides the player: the
// converter and the dictation decoder, the "Files" positions of the settings
// store, the playlist and the bookmark list, and the view's window services.
// The playlist and bookmark windows work on the same two lists.
#include <windows.h>

#include <functional>
#include <utility>

#include "tolv/app/SettingsStore.h"
#include "tolv/config/win32/Win32DataFiles.h"
#include "tolv/convert/MediaLinks.h"
#include "tolv/convert/win32/Win32ConvertPorts.h"
#include "tolv/convert/win32/Win32DictationSdk.h"
#include "tolv/playback/win32/OpenMediaWindow.h"
#include "tolv/playlist/win32/Win32PlaylistPorts.h"

namespace tolv {

class CMediaOpening {
 public:
  // `view` owns the boxes; `relayout` arranges the form after an open.
  CMediaOpening(HWND view, const wchar_t* title, CSettingsStore& settings, std::function<void()> relayout)
      : playlistMessages_(view, title),
        playlist_(files_, clock_, playlistMessages_, settings),
        bookmarks_(files_, clock_, playlistMessages_),
        lists_(playlist_, bookmarks_),
        convertUi_(view, title),
        sdk_(view),
        converter_(platform_, convertUi_, lists_),
        decoder_(sdk_, platform_, convertUi_),
        conversions_(converter_, decoder_),
        positions_(settings),
        window_(view, std::move(relayout)) {}

  OpenMediaPorts ports() { return {&conversions_, &positions_, &lists_, &window_}; }
  Playlist& playlist() { return playlist_; }
  CBookmarkList& bookmarks() { return bookmarks_; }

 private:
  Win32DataFiles files_;
  Win32Clock clock_;
  Win32PlaylistMessages playlistMessages_;
  Playlist playlist_;
  CBookmarkList bookmarks_;
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
