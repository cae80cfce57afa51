#include "tolv/playlist/win32/DlgBookmarks.h"

#include <commctrl.h>

#include "tolv/app/win32/WebPage.h"
#include "tolv/playlist/win32/PlaylistWindowIds.h"
#include "tolv/playlist/win32/Win32PlaylistPorts.h"

namespace tolv {
namespace {

constexpr UINT kAskDescriptionMessage = WM_APP + 1;
constexpr UINT kEndCellEditMessage = WM_APP + 2;
constexpr UINT_PTR kHideNoteTimer = 1;
constexpr int kDescriptionColumn = 3;

struct ColumnSpec {
  const wchar_t* heading;
  int width;
  int format;
};

constexpr ColumnSpec kColumns[] = {
    {L"No.", 30, LVCFMT_LEFT},
    {L"Playpoint", 100, LVCFMT_CENTER},
    {L"Time created", 150, LVCFMT_CENTER},
    {L"Description (click in field to edit)", 380, LVCFMT_CENTER},
};

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

}  // namespace

// ----------------------------------------------------------- DlgBookmarkAdded

DlgBookmarkAdded::DlgBookmarkAdded() : CDialog(IDD_BOOKMARK_ADDED) {
  messages_.on(WM_TIMER, [this](WPARAM id, LPARAM) -> LRESULT {
    if (id == kHideNoteTimer) {
      KillTimer(hwnd(), kHideNoteTimer);
      ShowWindow(hwnd(), SW_HIDE);
    }
    return 0;
  });
}

void DlgBookmarkAdded::ShowCentredOn(HWND window) {
  if (!hwnd()) return;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (window) GetWindowRect(window, &area);
  RECT note;
  GetWindowRect(hwnd(), &note);
  const int w = note.right - note.left, h = note.bottom - note.top;
  SetWindowPos(hwnd(), HWND_TOPMOST, (area.left + area.right - w) / 2, (area.top + area.bottom - h) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  UpdateWindow(hwnd());
  SetTimer(hwnd(), kHideNoteTimer, kShowMs, nullptr);
}

// ------------------------------------------------------------ DlgBookmarkText

DlgBookmarkText::DlgBookmarkText() : CDialog(IDD_BOOKMARK_TEXT) {}

std::optional<std::wstring> DlgBookmarkText::Ask(HWND owner) {
  text_.clear();
  if (DoModal(owner) != IDOK) return std::nullopt;
  return text_;
}

BOOL DlgBookmarkText::OnInitDialog() {
  SetFocus(item(IDC_BOOKMARK_TEXT_EDIT));
  return FALSE;
}

void DlgBookmarkText::OnOK() {
  text_ = WindowText(item(IDC_BOOKMARK_TEXT_EDIT));
  EndDialog(IDOK);
}

// --------------------------------------------------------------- DlgBookmarks

void DlgBookmarks::OwnedMessages::show(std::wstring_view caption, std::wstring_view text) {
  Win32PlaylistMessages(window_.hwnd(), L"Tolv").show(caption, text);
}

bool DlgBookmarks::OwnedMessages::ask(std::wstring_view text) {
  return Win32PlaylistMessages(window_.hwnd(), L"Tolv").ask(text);
}

DlgBookmarks::DlgBookmarks(IDataFiles& files, IClock& clock, IBookmarkPlayer& player, IPlaylistMessages* messages)
    : CDialog(IDD_BOOKMARKS),
      ownMessages_(*this),
      boxes_(messages ? *messages : ownMessages_),
      player_(player),
      list_(files, clock, boxes_) {
  MapMessages();
}

void DlgBookmarks::MapMessages() {
  messages_.onCommand(IDC_BOOKMARK_DELETE, [this] {
    const int row = SelectedRow();
    if (row >= 0 && list_.DeleteBookmark(static_cast<size_t>(row))) Redisplay();
  });
  messages_.onCommand(IDC_BOOKMARK_CLEAR, [this] {
    list_.ClearAllBookmarks();
    Redisplay();
  });
  messages_.onCommand(IDC_BOOKMARK_ASK, [this] {
    list_.askForDescription = IsDlgButtonChecked(hwnd(), IDC_BOOKMARK_ASK) == BST_CHECKED;
  });
  messages_.onCommand(IDC_BOOKMARK_KEEP_OPEN, [this] {
    list_.keepOpenOnDoubleClick = IsDlgButtonChecked(hwnd(), IDC_BOOKMARK_KEEP_OPEN) == BST_CHECKED;
  });
  messages_.onCommand(IDC_BOOKMARK_HELP, [this] { OpenWebPage(hwnd(), kBookmarksHelpAddress); });
  messages_.onNotify(IDC_BOOKMARK_LIST, NM_DBLCLK, [this](NMHDR* header) -> LRESULT {
    OnDoubleClick(reinterpret_cast<NMITEMACTIVATE*>(header)->iItem);
    return 0;
  });
  messages_.onNotify(IDC_BOOKMARK_LIST, NM_CLICK, [this](NMHDR* header) -> LRESULT {
    OnClick(reinterpret_cast<NMITEMACTIVATE*>(header)->ptAction);
    return 0;
  });
  messages_.on(kAskDescriptionMessage, [this](WPARAM, LPARAM) -> LRESULT {
    AskDescriptionAndAdd();
    return 0;
  });
  // Only for the editor that asked: a late request of an earlier one is void.
  messages_.on(kEndCellEditMessage, [this](WPARAM commit, LPARAM editor) -> LRESULT {
    if (cellEdit_ && reinterpret_cast<HWND>(editor) == cellEdit_) EndCellEdit(commit != 0);
    return 0;
  });
}

bool DlgBookmarks::CreateHidden(HWND owner) {
  if (!Create(owner)) return false;
  added_.Create(owner);
  return true;
}

BOOL DlgBookmarks::OnInitDialog() {
  listView_ = item(IDC_BOOKMARK_LIST);
  SendMessageW(listView_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  for (int i = 0; i < 4; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(kColumns[i].heading);
    column.cx = kColumns[i].width;
    column.fmt = kColumns[i].format;
    column.iSubItem = i;
    SendMessageW(listView_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  list_.LoadBookmarks(false);
  ShowOptions();
  return TRUE;
}

void DlgBookmarks::ShowOptions() {
  CheckDlgButton(hwnd(), IDC_BOOKMARK_ASK, list_.askForDescription ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hwnd(), IDC_BOOKMARK_KEEP_OPEN, list_.keepOpenOnDoubleClick ? BST_CHECKED : BST_UNCHECKED);
}

void DlgBookmarks::Show() {
  Redisplay();
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
}

void DlgBookmarks::Hide() {
  if (cellEdit_) EndCellEdit(true);
  ShowWindow(hwnd(), SW_HIDE);
}

void DlgBookmarks::OnOK() {
  if (cellEdit_) EndCellEdit(true);
  list_.Ok();
  Hide();
}

void DlgBookmarks::OnCancel() {
  if (cellEdit_) EndCellEdit(false);
  list_.Cancel();
  ShowOptions();
  Redisplay();
  Hide();
}

void DlgBookmarks::Redisplay() {
  if (!listView_) return;
  SendMessageW(listView_, LVM_DELETEALLITEMS, 0, 0);
  const auto& rows = list_.rows();
  for (size_t r = 0; r < rows.size(); ++r) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(r);
    item.pszText = const_cast<wchar_t*>(rows[r].texts[0].c_str());
    const int index = static_cast<int>(SendMessageW(listView_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    for (int c = 1; c < 4; ++c) {
      LVITEMW sub{};
      sub.iSubItem = c;
      sub.pszText = const_cast<wchar_t*>(rows[r].texts[static_cast<size_t>(c)].c_str());
      SendMessageW(listView_, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&sub));
    }
  }
}

void DlgBookmarks::AddBookmarkAtCurrentPosition() {
  const std::wstring key = player_.mediumKey();
  if (key.empty()) return;
  const double position = player_.position();
  if (!list_.askForDescription) {
    AddBookmark(key, position, {});
    return;
  }
  player_.pause();
  pendingBookmark_.emplace(key, position);
  PostMessageW(hwnd(), kAskDescriptionMessage, 0, 0);
}

void DlgBookmarks::AskDescriptionAndAdd() {
  if (!pendingBookmark_) return;
  const auto [key, position] = *pendingBookmark_;
  pendingBookmark_.reset();
  HWND owner = GetWindow(hwnd(), GW_OWNER);
  DlgBookmarkText dialog;
  if (auto text = dialog.Ask(owner ? owner : hwnd())) AddBookmark(key, position, std::move(*text));
}

void DlgBookmarks::AddBookmark(const std::wstring& key, double position, std::wstring description) {
  if (!list_.AddBookmarkAtCurrentPosition(key, position, std::move(description))) return;
  Redisplay();
  const int count = static_cast<int>(SendMessageW(listView_, LVM_GETITEMCOUNT, 0, 0));
  if (count > 0) SendMessageW(listView_, LVM_ENSUREVISIBLE, count - 1, FALSE);
  added_.ShowCentredOn(GetWindow(hwnd(), GW_OWNER));
}

int DlgBookmarks::SelectedRow() const {
  return static_cast<int>(SendMessageW(listView_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void DlgBookmarks::OnDoubleClick(int row) {
  if (row < 0) return;
  const auto target = list_.JumpTarget(static_cast<size_t>(row));
  if (!target) return;
  player_.playFrom(*target);
  if (!list_.keepOpenOnDoubleClick) Hide();
}

void DlgBookmarks::OnClick(POINT at) {
  LVHITTESTINFO hit{};
  hit.pt = at;
  if (SendMessageW(listView_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0) return;
  if (hit.iItem >= 0 && hit.iSubItem == kDescriptionColumn) BeginCellEdit(hit.iItem);
}

void DlgBookmarks::BeginCellEdit(int row) {
  if (cellEdit_) EndCellEdit(true);
  RECT cell{};
  cell.top = kDescriptionColumn;
  cell.left = LVIR_BOUNDS;
  if (!SendMessageW(listView_, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell))) return;
  const auto& rows = list_.rows();
  if (static_cast<size_t>(row) >= rows.size()) return;
  cellEdit_ = CreateWindowExW(0, L"EDIT", rows[static_cast<size_t>(row)].texts[3].c_str(),
                              WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, cell.left, cell.top,
                              cell.right - cell.left, cell.bottom - cell.top, listView_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_BOOKMARK_EDIT_CELL)),
                              GetModuleHandleW(nullptr), nullptr);
  if (!cellEdit_) return;
  cellRow_ = row;
  SendMessageW(cellEdit_, WM_SETFONT, SendMessageW(listView_, WM_GETFONT, 0, 0), FALSE);
  SetWindowSubclass(cellEdit_, &DlgBookmarks::CellEditProc, 1, reinterpret_cast<DWORD_PTR>(this));
  SendMessageW(cellEdit_, EM_SETSEL, 0, -1);
  SetFocus(cellEdit_);
}

void DlgBookmarks::EndCellEdit(bool commit) {
  if (!cellEdit_) return;
  HWND edit = cellEdit_;
  const int row = cellRow_;
  cellEdit_ = nullptr;
  cellRow_ = -1;
  const std::wstring text = WindowText(edit);
  ::DestroyWindow(edit);
  if (commit) {
    list_.SetDescription(static_cast<size_t>(row), text);
    Redisplay();
  }
}

// Enter commits and Esc drops the edit, instead of pressing OK or Cancel of
// the window; leaving the cell commits.
LRESULT CALLBACK DlgBookmarks::CellEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR data) {
  auto* self = reinterpret_cast<DlgBookmarks*>(data);
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS | DefSubclassProc(hwnd, message, wParam, lParam);
    case WM_KEYDOWN:
      if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
        PostMessageW(self->hwnd(), kEndCellEditMessage, wParam == VK_RETURN ? 1 : 0, reinterpret_cast<LPARAM>(hwnd));
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == L'\r' || wParam == 27) return 0;
      break;
    case WM_KILLFOCUS:
      PostMessageW(self->hwnd(), kEndCellEditMessage, 1, reinterpret_cast<LPARAM>(hwnd));
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &DlgBookmarks::CellEditProc, id);
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace tolv
