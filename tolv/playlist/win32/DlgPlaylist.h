#pragma once
// The "Playlist" window: a modeless dialog created once with the main view
// and shown or hidden. It only shows what the Playlist logic holds and passes
// the user's actions on to it.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tolv/app/SettingsStore.h"
#include "tolv/app/win32/Wnd.h"
#include "tolv/config/DataFiles.h"
#include "tolv/playlist/Playlist.h"
#include "tolv/playlist/PlaylistPorts.h"

namespace tolv {

// The main view's open-media operation: play false only adds to the playlist.
using OpenMediaAction = std::function<void(const std::wstring& path, bool play)>;

// Header of the playlist's list: shows the sort arrow of the sort column.
class CPlaylistHeader {
 public:
  void Attach(HWND header) { header_ = header; }
  HWND hwnd() const { return header_; }
  // Descending: the arrow points up; ascending: down. Other columns have none.
  void SetSortArrow(int column, bool descending);

 private:
  HWND header_ = nullptr;
};

// The list control of the playlist: a report list that takes files dragged
// from the desktop shell.
class CDropListBox {
 public:
  using DropHandler = std::function<void(const std::vector<std::wstring>&)>;

  // Subclasses the list view and lets the shell drop files on it.
  void Attach(HWND list, DropHandler onDrop);
  HWND hwnd() const { return list_; }
  CPlaylistHeader& header() { return header_; }

  // The paths of a shell drop, in order.
  static std::vector<std::wstring> DroppedPaths(HDROP drop);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);

  HWND list_ = nullptr;
  CPlaylistHeader header_;
  DropHandler onDrop_;
};

class DlgPlaylist : public CDialog {
 public:
  // messages: the boxes to show; nullptr means message boxes owned by this window.
  DlgPlaylist(IDataFiles& files, IClock& clock, CSettingsStore& settings, OpenMediaAction openMedia,
              IPlaylistMessages* messages = nullptr);
  ~DlgPlaylist() override;

  // Creates the window hidden, owned by the main window.
  bool CreateHidden(HWND owner) { return Create(owner); }
  // Refreshes from playlist.tolv and shows the window in front.
  void Show();
  void Hide();
  // Puts the logic's rows, sort arrow, total and selection on the screen.
  // Does nothing while dropped files are being added (they redisplay once at the end).
  void Redisplay();

  Playlist& playlist() { return playlist_; }
  CDropListBox& list() { return list_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override { Hide(); }

 private:
  class OwnedMessages : public IPlaylistMessages {
   public:
    explicit OwnedMessages(DlgPlaylist& window) : window_(window) {}
    void show(std::wstring_view caption, std::wstring_view text) override;
    bool ask(std::wstring_view text) override;

   private:
    DlgPlaylist& window_;
  };

  void MapMessages();
  void OnDoubleClick(int item);
  void OnOpenFile();
  void OnDeleteSelected();
  void OnDrop(const std::vector<std::wstring>& paths);

  OwnedMessages ownMessages_;
  IPlaylistMessages& boxes_;
  Playlist playlist_;
  OpenMediaAction openMedia_;
  CDropListBox list_;
  bool dropping_ = false;
};

}  // namespace tolv
