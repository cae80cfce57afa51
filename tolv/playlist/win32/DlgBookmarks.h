#pragma once
// The "Bookmarks" window (modeless, created hidden with the main view), its
// "Bookmark added" note and the "Enter description" dialog. The bookmarks
// themselves live in the CBookmarkList logic this window owns.
#include <windows.h>

#include <optional>
#include <string>

#include "tolv/app/win32/Wnd.h"
#include "tolv/config/DataFiles.h"
#include "tolv/playlist/BookmarkList.h"
#include "tolv/playlist/BookmarkPlayer.h"
#include "tolv/playlist/PlaylistPorts.h"

namespace tolv {

inline constexpr wchar_t kBookmarksHelpAddress[] = L"http://www.quenmark.com/help/bookmarks";

// "Bookmark added", shown without taking the focus for a moment.
class DlgBookmarkAdded : public CDialog {
 public:
  static constexpr UINT kShowMs = 300;
  DlgBookmarkAdded();
  // Centred on the window (the screen when there is none); hides itself after kShowMs.
  void ShowCentredOn(HWND window);

 protected:
  void OnOK() override {}
  void OnCancel() override {}
};

// "Enter description": a multi-line edit with "Add bookmark" and "Cancel".
class DlgBookmarkText : public CDialog {
 public:
  DlgBookmarkText();
  // The text, or nothing on Cancel.
  std::optional<std::wstring> Ask(HWND owner);

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  std::wstring text_;
};

class DlgBookmarks : public CDialog {
 public:
  // messages: the boxes to show; nullptr means message boxes owned by this window.
  DlgBookmarks(IDataFiles& files, IClock& clock, IBookmarkPlayer& player, IPlaylistMessages* messages = nullptr);

  // Creates the window hidden (and its note) and loads bookmarks.tolv without showing anything.
  bool CreateHidden(HWND owner);
  void Show();
  void Hide();
  // Puts the logic's rows on the screen.
  void Redisplay();

  // BOOKMARK hotkey and "Add Bookmark": a bookmark of the medium in the
  // player at its position. When a description is asked for, the player is
  // paused at once and the question comes once the caller has returned (the
  // hotkey calls from inside the keyboard hook, which must not wait).
  void AddBookmarkAtCurrentPosition();

  CBookmarkList& bookmarks() { return list_; }
  DlgBookmarkAdded& addedNote() { return added_; }
  HWND cellEditor() const { return cellEdit_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

 private:
  class OwnedMessages : public IPlaylistMessages {
   public:
    explicit OwnedMessages(DlgBookmarks& window) : window_(window) {}
    void show(std::wstring_view caption, std::wstring_view text) override;
    bool ask(std::wstring_view text) override;

   private:
    DlgBookmarks& window_;
  };

  void MapMessages();
  void AddBookmark(const std::wstring& key, double position, std::wstring description);
  void AskDescriptionAndAdd();
  int SelectedRow() const;
  void OnDoubleClick(int row);
  void OnClick(POINT at);
  void BeginCellEdit(int row);
  void EndCellEdit(bool commit);
  void ShowOptions();
  static LRESULT CALLBACK CellEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);

  OwnedMessages ownMessages_;
  IPlaylistMessages& boxes_;
  IBookmarkPlayer& player_;
  CBookmarkList list_;
  DlgBookmarkAdded added_;
  HWND listView_ = nullptr;
  HWND cellEdit_ = nullptr;
  int cellRow_ = -1;
  std::optional<std::pair<std::wstring, double>> pendingBookmark_;
};

}  // namespace tolv
