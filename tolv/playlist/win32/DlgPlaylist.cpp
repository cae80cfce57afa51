#include "tolv/playlist/win32/DlgPlaylist.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <exception>

#include "tolv/playlist/win32/PlaylistWindowIds.h"
#include "tolv/playlist/win32/Win32PlaylistPorts.h"

namespace tolv {
namespace {

struct ColumnSpec {
  const wchar_t* heading;
  int width;
  int format;
};

constexpr ColumnSpec kColumns[] = {
    {L"File name (double-click to open)", 300, LVCFMT_LEFT},
    {L"Length", 80, LVCFMT_CENTER},
    {L"Current playpoint", 80, LVCFMT_CENTER},
    {L"Size (MB)", 80, LVCFMT_CENTER},
    {L"Last accessed", 150, LVCFMT_CENTER},
};

constexpr size_t kOpenFileBufferChars = 2048;

}  // namespace

// ------------------------------------------------------------ CPlaylistHeader

void CPlaylistHeader::SetSortArrow(int column, bool descending) {
  if (!header_) return;
  const int count = static_cast<int>(SendMessageW(header_, HDM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    SendMessageW(header_, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (i == column) item.fmt |= descending ? HDF_SORTUP : HDF_SORTDOWN;
    SendMessageW(header_, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
}

// --------------------------------------------------------------- CDropListBox

void CDropListBox::Attach(HWND list, DropHandler onDrop) {
  list_ = list;
  onDrop_ = std::move(onDrop);
  header_.Attach(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)));
  SetWindowSubclass(list, &CDropListBox::Proc, 1, reinterpret_cast<DWORD_PTR>(this));
  DragAcceptFiles(list, TRUE);
}

std::vector<std::wstring> CDropListBox::DroppedPaths(HDROP drop) {
  std::vector<std::wstring> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  paths.reserve(count);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    const UINT copied = DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(copied);
    paths.push_back(std::move(path));
  }
  return paths;
}

LRESULT CALLBACK CDropListBox::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR data) {
  auto* self = reinterpret_cast<CDropListBox*>(data);
  if (message == WM_DROPFILES) {
    HDROP drop = reinterpret_cast<HDROP>(wParam);
    const auto paths = DroppedPaths(drop);
    DragFinish(drop);
    try {
      if (self->onDrop_) self->onDrop_(paths);
    } catch (...) {
      ReportHandlerException(hwnd);
    }
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &CDropListBox::Proc, id);
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

// ---------------------------------------------------------------- DlgPlaylist

void DlgPlaylist::OwnedMessages::show(std::wstring_view caption, std::wstring_view text) {
  Win32PlaylistMessages(window_.hwnd(), L"Tolv").show(caption, text);
}

bool DlgPlaylist::OwnedMessages::ask(std::wstring_view text) {
  return Win32PlaylistMessages(window_.hwnd(), L"Tolv").ask(text);
}

DlgPlaylist::DlgPlaylist(IDataFiles& files, IClock& clock, CSettingsStore& settings, OpenMediaAction openMedia,
                         IPlaylistMessages* messages)
    : CDialog(IDD_PLAYLIST),
      ownMessages_(*this),
      boxes_(messages ? *messages : ownMessages_),
      playlist_(files, clock, boxes_, settings),
      openMedia_(std::move(openMedia)) {
  MapMessages();
}

// The file is the truth: a list that was never read is not written over it.
DlgPlaylist::~DlgPlaylist() = default;

void DlgPlaylist::MapMessages() {
  messages_.onCommand(IDC_PLAYLIST_OPEN_FILE, [this] { OnOpenFile(); });
  messages_.onCommand(IDC_PLAYLIST_CLEAR, [this] {
    playlist_.ClearPlaylist();
    Redisplay();
  });
  messages_.onCommand(IDC_PLAYLIST_DELETE, [this] { OnDeleteSelected(); });
  messages_.onNotify(IDC_PLAYLIST_LIST, LVN_COLUMNCLICK, [this](NMHDR* header) -> LRESULT {
    playlist_.ClickColumn(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
    Redisplay();
    return 0;
  });
  messages_.onNotify(IDC_PLAYLIST_LIST, NM_DBLCLK, [this](NMHDR* header) -> LRESULT {
    OnDoubleClick(reinterpret_cast<NMITEMACTIVATE*>(header)->iItem);
    return 0;
  });
  messages_.on(WM_DESTROY, [this](WPARAM, LPARAM) -> LRESULT {
    if (playlist_.isLoaded()) playlist_.SavePlaylist();
    return 0;
  });
}

BOOL DlgPlaylist::OnInitDialog() {
  HWND list = item(IDC_PLAYLIST_LIST);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  for (int i = 0; i < 5; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(kColumns[i].heading);
    column.cx = kColumns[i].width;
    column.fmt = kColumns[i].format;
    column.iSubItem = i;
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  list_.Attach(list, [this](const std::vector<std::wstring>& paths) { OnDrop(paths); });
  return TRUE;
}

void DlgPlaylist::Show() {
  playlist_.RefreshPlaylist();
  Redisplay();
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
}

void DlgPlaylist::Hide() { ShowWindow(hwnd(), SW_HIDE); }

void DlgPlaylist::Redisplay() {
  if (!hwnd() || dropping_) return;
  HWND list = list_.hwnd();
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  const auto& rows = playlist_.rows();
  for (size_t r = 0; r < rows.size(); ++r) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(r);
    item.pszText = const_cast<wchar_t*>(rows[r].texts[0].c_str());
    item.lParam = static_cast<LPARAM>(r);
    const int index = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    for (int c = 1; c < 5; ++c) {
      LVITEMW sub{};
      sub.iSubItem = c;
      sub.pszText = const_cast<wchar_t*>(rows[r].texts[static_cast<size_t>(c)].c_str());
      SendMessageW(list, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&sub));
    }
  }
  list_.header().SetSortArrow(playlist_.sortColumn(), playlist_.sortDescending());
  SetDlgItemTextW(hwnd(), IDC_PLAYLIST_TOTAL, playlist_.totalText().c_str());
  if (const auto selected = playlist_.selectedRow()) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, *selected, reinterpret_cast<LPARAM>(&state));
    SendMessageW(list, LVM_ENSUREVISIBLE, *selected, FALSE);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

// The row's place in the logic's rows travels as the item's data.
void DlgPlaylist::OnDoubleClick(int item) {
  if (item < 0) return;
  LVITEMW data{};
  data.mask = LVIF_PARAM;
  data.iItem = item;
  if (!SendMessageW(list_.hwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return;
  const auto path = playlist_.OpenRow(static_cast<size_t>(data.lParam));
  if (!path) {
    Redisplay();
    return;
  }
  Hide();
  if (openMedia_) openMedia_(*path, true);
}

void DlgPlaylist::OnOpenFile() {
  std::wstring buffer(kOpenFileBufferChars, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = hwnd();
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.Flags = OFN_EXPLORER;
  if (!GetOpenFileNameW(&ofn)) {
    if (CommDlgExtendedError() != 0) boxes_.show(L"", L"Error opening the file!");
    return;
  }
  buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
  try {
    if (openMedia_) openMedia_(buffer, true);
  } catch (const std::exception&) {
    boxes_.show(L"", L"Error opening the file!");
  }
  Redisplay();
}

void DlgPlaylist::OnDeleteSelected() {
  std::vector<size_t> rows;
  HWND list = list_.hwnd();
  for (int i = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); i >= 0;
       i = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, i, LVNI_SELECTED))) {
    LVITEMW data{};
    data.mask = LVIF_PARAM;
    data.iItem = i;
    if (SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) rows.push_back(static_cast<size_t>(data.lParam));
  }
  if (rows.empty()) return;
  playlist_.DeleteRows(rows);
  Redisplay();
}

void DlgPlaylist::OnDrop(const std::vector<std::wstring>& paths) {
  dropping_ = true;
  try {
    playlist_.DropFiles(paths, [this](const std::wstring& path) {
      if (openMedia_) openMedia_(path, false);
    });
  } catch (...) {
    dropping_ = false;
    Redisplay();
    throw;
  }
  dropping_ = false;
  Redisplay();
}

}  // namespace tolv
