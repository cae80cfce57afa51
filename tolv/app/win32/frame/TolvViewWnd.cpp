#include "tolv/app/win32/frame/TolvViewWnd.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <cstdlib>
#include <ctime>
#include <commdlg.h>
#include <spdlog/spdlog.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tolv/app/FormArrangement.h"
#include "tolv/app/FrameSizing.h"
#include "tolv/app/resource.h"
#include "tolv/app/win32/frame/ViewLifecycle.h"
#include "tolv/app/win32/frame/Dialogs.h"
#include "tolv/config/Settings.h"
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/hotkeys/HotkeyCommands.h"

namespace tolv {
namespace {

CTolvViewWnd* g_mainView = nullptr;

COLORREF Colour(ColorRef c) { return static_cast<COLORREF>(c); }

void FillPolygon(HDC dc, const POINT* points, int count, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  Polygon(dc, points, count);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

void Triangle(HDC dc, int cx, int cy, int size, bool right, COLORREF colour) {
  const int h = size / 2;
  POINT tri[3];
  if (right) {
    tri[0] = {cx - h / 2, cy - h};
    tri[1] = {cx - h / 2, cy + h};
    tri[2] = {cx + h / 2 + 1, cy};
  } else {
    tri[0] = {cx + h / 2, cy - h};
    tri[1] = {cx + h / 2, cy + h};
    tri[2] = {cx - h / 2 - 1, cy};
  }
  FillPolygon(dc, tri, 3, colour);
}

void Bar(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  const RECT r{left, top, right, bottom};
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

// Transport pictures, drawn in two sizes instead of loaded from icons.
void DrawTransportGlyph(HDC dc, const RECT& rc, int id, bool playing, bool large, COLORREF colour) {
  const int size = large ? 16 : 10;
  const int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2, h = size / 2;
  switch (id) {
    case IDC_PLAY:
      if (playing) {
        Bar(dc, cx - h + 1, cy - h, cx - 1, cy + h, colour);
        Bar(dc, cx + 1, cy - h, cx + h - 1, cy + h, colour);
      } else {
        Triangle(dc, cx, cy, size, true, colour);
      }
      break;
    case IDC_STOP:
      Bar(dc, cx - h + 1, cy - h + 1, cx + h - 1, cy + h - 1, colour);
      break;
    case IDC_REW:
      Triangle(dc, cx - h / 2, cy, size, false, colour);
      Triangle(dc, cx + h / 2 + 1, cy, size, false, colour);
      break;
    case IDC_FF:
      Triangle(dc, cx - h / 2 - 1, cy, size, true, colour);
      Triangle(dc, cx + h / 2, cy, size, true, colour);
      break;
  }
}

// Small pictures beside the volume, speed and balance sliders.
void DrawSliderIcon(HDC dc, const RECT& rc, int id) {
  const COLORREF ink = RGB(60, 40, 20);
  const int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
  switch (id) {
    case IDC_VOLUME_ICON: {
      const POINT speaker[6] = {{cx - 6, cy - 2}, {cx - 3, cy - 2}, {cx + 1, cy - 6},
                                {cx + 1, cy + 6}, {cx - 3, cy + 2}, {cx - 6, cy + 2}};
      FillPolygon(dc, speaker, 6, ink);
      Bar(dc, cx + 3, cy - 2, cx + 4, cy + 3, ink);
      Bar(dc, cx + 5, cy - 4, cx + 6, cy + 5, ink);
      break;
    }
    case IDC_SPEED_ICON:
      Triangle(dc, cx - 3, cy, 10, true, ink);
      Triangle(dc, cx + 3, cy, 10, true, ink);
      break;
    case IDC_BALANCE_ICON:
      Triangle(dc, cx - 4, cy, 8, false, ink);
      Triangle(dc, cx + 4, cy, 8, true, ink);
      Bar(dc, cx - 3, cy - 1, cx + 4, cy + 1, ink);
      break;
  }
}

bool IsTransport(int id) { return id == IDC_PLAY || id == IDC_STOP || id == IDC_REW || id == IDC_FF; }

}  // namespace

CTolvViewWnd* MainView() { return g_mainView; }

CTolvViewWnd::CTolvViewWnd(IMediaPlayer& player) : CDialog(IDD_TOLV_FORM), slot_(player), player_(slot_) {
  MapMessages();
}

CTolvViewWnd::~CTolvViewWnd() {
  lifecycle_.reset();
  if (g_mainView == this) g_mainView = nullptr;
  if (gradientBrush_) DeleteObject(gradientBrush_);
  if (gradientBitmap_) DeleteObject(gradientBitmap_);
}

void CTolvViewWnd::MapMessages() {
  messages_.on(WM_SIZE, [this](WPARAM, LPARAM) {
    Arrange();
    return 0;
  });
  messages_.on(WM_ERASEBKGND, [this](WPARAM wParam, LPARAM) -> LRESULT {
    RECT rc;
    GetClientRect(hwnd(), &rc);
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    FillRect(dc, &rc, gradientBrush_ ? gradientBrush_ : GetSysColorBrush(COLOR_BTNFACE));
    return 1;
  });
  messages_.on(WM_CTLCOLORSTATIC, [this](WPARAM wParam, LPARAM lParam) {
    return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
  });
  messages_.on(WM_CTLCOLORDLG, [this](WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(gradientBrush_ ? gradientBrush_ : GetSysColorBrush(COLOR_BTNFACE));
  });
  messages_.on(WM_DRAWITEM, [this](WPARAM, LPARAM lParam) {
    return OnDrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
  });
  messages_.on(WM_TIMER, [this](WPARAM wParam, LPARAM) {
    if (lifecycle_ && lifecycle_->OnTimer(static_cast<unsigned>(wParam))) return 0;
    if (view_) view_->OnTimer(static_cast<unsigned>(wParam));
    return 0;
  });
  // Pedal components, raw input and the hook's deferred errors.
  for (UINT message : {static_cast<UINT>(WM_DVR_BUTTON_FS_REW), static_cast<UINT>(WM_DVR_BUTTON_FS_LISTEN),
                       static_cast<UINT>(WM_DVR_BUTTON_FS_FF), FootSwitchDeviceChangeMessage(),
                       static_cast<UINT>(WM_INPUT), kShowHookError})
    if (message)
      messages_.on(message, [this, message](WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (lifecycle_) lifecycle_->OnMessage(message, wParam, lParam);
        return 0;
      });
  // Timestamps and keyboard shortcuts that the hotkeys post.
  for (unsigned id : {kCmdTimeStamp, kCmdKeyboardShortcut1, kCmdKeyboardShortcut1 + 1, kCmdKeyboardShortcut1 + 2,
                      kCmdKeyboardShortcut1 + 3, kCmdKeyboardShortcut1 + 4, kCmdIntervalTimestamp,
                      kCmdParagraphTimestamp, kCmdDelayedTimestamp})
    messages_.onCommand(id, [this, id] {
      if (lifecycle_) lifecycle_->OnCommand(id);
    });
  messages_.on(WM_DESTROY, [this](WPARAM, LPARAM) -> LRESULT {
    OnDestroy();
    return 0;
  });
  for (int id : {IDC_POSITION_SLIDER, IDC_VOLUME_SLIDER, IDC_SPEED_SLIDER, IDC_BALANCE_SLIDER})
    messages_.onNotify(id, NM_CUSTOMDRAW, [this, id](NMHDR* header) -> LRESULT {
      if (view_ && reinterpret_cast<NMCUSTOMDRAW*>(header)->dwDrawStage == CDDS_PREPAINT)
        view_->OnSliderCustomDraw(static_cast<SliderId>(id));
      return CDRF_DODEFAULT;
    });

  messages_.onCommand(IDC_PLAY, [this] { view_->PlayToggle(); });
  messages_.onCommand(IDC_STOP, [this] { view_->Stop(); });
  messages_.onCommand(IDC_REW, [this] { view_->OnRewFfClicked(); });
  messages_.onCommand(IDC_FF, [this] { view_->OnRewFfClicked(); });
  messages_.onCommand(IDC_SET_TOGGLE_SPEED, [this] { view_->OnSetToggleSpeed(); });
  messages_.onCommand(IDC_SPEED_50, [this] { view_->OnSpeedPreset(50); });
  messages_.onCommand(IDC_SPEED_100, [this] { view_->OnSpeedPreset(100); });
  messages_.onCommand(IDC_GOTO_TIME, [this] { view_->OnGoToTime(); });
  messages_.onCommand(IDC_STOPWATCH_START, [this] { view_->OnStopwatchStartPause(); });
  messages_.onCommand(IDC_STOPWATCH_RESET, [this] { view_->OnStopwatchReset(); });
  messages_.onCommand(IDC_COMPACT_TOGGLE, [this] { ToggleCompact(); });
  // Commands the hotkeys post to the main window.
  messages_.onCommand(kCmdRx, [this] { view_->RewindAndPlay(); });
  messages_.onCommand(kCmdPx, [this] { view_->PlaySeconds(); });
  messages_.onCommand(kCmdIncreaseSpeed, [this] { view_->IncreaseSpeed(); });
  messages_.onCommand(kCmdDecreaseSpeed, [this] { view_->DecreaseSpeed(); });
  messages_.onCommand(kCmdSpeedToggle, [this] { view_->SpeedToggle(); });
  // Playlist and bookmarks.
  messages_.onCommand(ID_OPEN_PLAYLIST, [this] { if (toolWindows_) toolWindows_->ShowPlaylist(); });
  messages_.onCommand(IDC_OPEN_PLAYLIST, [this] { if (toolWindows_) toolWindows_->ShowPlaylist(); });
  messages_.onCommand(IDC_BOOKMARKS, [this] {
    view_->Stop();
    if (toolWindows_) toolWindows_->ShowBookmarks();
  });
  messages_.onCommand(IDC_ADD_BOOKMARK, [this] { if (toolWindows_) toolWindows_->AddBookmark(); });
  messages_.onCommand(IDC_WORDPAD, [this] { ShellExecuteW(hwnd(), L"open", L"wordpad", nullptr, nullptr, SW_SHOWNORMAL); });
  MapMediaMessages();
}

BOOL CTolvViewWnd::OnInitDialog() {
  timers_ = std::make_unique<CWindowTimers>(hwnd());
  boxes_ = std::make_unique<CMessageBoxes>(hwnd(), L"Tolv");
  CreatePlayerControl();
  view_ = std::make_unique<CTolvView>(player_, *this, *timers_, *boxes_);
  InitMediaOpening();
  for (int id : {IDC_POSITION_SLIDER, IDC_VOLUME_SLIDER, IDC_SPEED_SLIDER, IDC_BALANCE_SLIDER})
    SetWindowSubclass(item(id), &CTolvViewWnd::SliderProc, static_cast<UINT_PTR>(id), reinterpret_cast<DWORD_PTR>(this));
  SendMessageW(item(IDC_TOGGLE_SPEED_EDIT), EM_SETLIMITTEXT, 3, 0);
  Arrange();
  return FALSE;
}

// ---------------------------------------------------------------- start and end

void CTolvViewWnd::OnInitialUpdate(const std::wstring& commandLinePath) {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  g_mainView = this;
  lifecycle_ = std::make_unique<CViewLifecycle>(hwnd(), *view_, player_, *timers_, *boxes_);
  // The modeless "Open Remote File", "Playlist" and "Bookmarks" windows exist,
  // hidden, since the form's initialisation; the bookmark hotkey adds to the
  // Bookmarks window.
  if (toolWindows_) lifecycle_->addBookmark = [this] { toolWindows_->AddBookmark(); };
  if (!lifecycle_->ConnectDeviceTree()) return;
  view_->InitTransportControls();
  view_->StartTransportTimers();
  if (!commandLinePath.empty()) {
    // A player error ends the open; the framework shows it and start-up goes on.
    try {
      view_->OpenMedia(commandLinePath, true);
    } catch (...) {
      ReportHandlerException(hwnd());
    }
  }
  lifecycle_->StartPedalsAndHook();
  SetFocus(item(IDC_PLAY));
  // Files dropped and data copied from processes of lower integrity still arrive.
  for (UINT message : {static_cast<UINT>(WM_DROPFILES), static_cast<UINT>(WM_COPYDATA), 0x0049u})
    ChangeWindowMessageFilter(message, MSGFLT_ADD);
  lifecycle_->ConnectVendorComponents();
}

bool CTolvViewWnd::CreatePlaylistAndBookmarkWindows(CSettingsStore& settings, IDataFiles& files) {
  if (toolWindows_) return true;
  auto windows = std::make_unique<CToolWindows>(*view_, player_, *this, settings, files);
  if (!windows->Create(GetAncestor(hwnd(), GA_ROOT))) return false;
  toolWindows_ = std::move(windows);
  return true;
}

void CTolvViewWnd::StopTimers() {
  if (view_) view_->StopTransportTimers();
}

void CTolvViewWnd::StopPedalWatcher() {
  if (lifecycle_) lifecycle_->StopPedalWatcher();
}

void CTolvViewWnd::OnDestroy() {
  if (lifecycle_) {
    lifecycle_->Destroy(dataFiles_);
  } else if (dataFiles_) {
    SaveMainConfiguration(*dataFiles_);
  }
  if (gradientBrush_) DeleteObject(gradientBrush_);
  gradientBrush_ = nullptr;
  // The player control stores it once more when it goes; the value is the same.
  try {
    if (view_) view_->SaveCurrentMediumPosition();
  } catch (...) {
  }
}

void CTolvViewWnd::Arrange() {
  if (!hwnd()) return;
  RECT rc;
  GetClientRect(hwnd(), &rc);
  const FormArrangement a = ArrangeForm(rc.right, rc.bottom, expanded);
  HDWP dwp = BeginDeferWindowPos(static_cast<int>(a.controls.size()));
  for (const ControlPlace& c : a.controls) {
    HWND control = item(c.id);
    if (!control) continue;
    bool visible = c.visible;
    // The placeholder until the first medium is open, the player from then on.
    if (c.id == IDC_VIDEO_PICTURE) visible = visible && !mediumShown_;
    if (c.id == IDC_MEDIA_PLAYER) visible = visible && mediumShown_;
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
    if (dwp) dwp = DeferWindowPos(dwp, control, nullptr, c.rect.x, c.rect.y, c.rect.w, c.rect.h, flags);
  }
  if (dwp) EndDeferWindowPos(dwp);
  // The video area starts inside the name row: it stays below the row's
  // labels, which keep their text whole.
  for (int id : {IDC_VIDEO_PICTURE, IDC_MEDIA_PLAYER})
    if (HWND area = item(id)) SetWindowPos(area, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  lastVideoHeight_ = a.videoHeight;
  largeIcons_ = a.largeIcons;
  SetDlgItemTextW(hwnd(), IDC_COMPACT_TOGGLE, expanded ? L"Min" : L"Max");
  SetDlgItemTextW(hwnd(), IDC_FILE_NAME, ShortFileName(mediumName_).c_str());
  SetDlgItemTextW(hwnd(), IDC_TOGGLE_SPEED_EDIT, std::to_wstring(toggleSpeedPercent).c_str());
  // Taking the focus would bring the window forward: only while it is active.
  if (GetActiveWindow() == GetAncestor(hwnd(), GA_ROOT)) SetFocus(slider(SliderId::Position));
  RebuildGradient();
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void CTolvViewWnd::SetAppearance(ColorRef from, ColorRef to) {
  appearanceColorFrom = static_cast<int>(from);
  appearanceColorTo = static_cast<int>(to);
  RebuildGradient();
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void CTolvViewWnd::RebuildGradient() {
  RECT rc;
  GetClientRect(hwnd(), &rc);
  const GradientBitmap g = MakeGradient(rc.right, rc.bottom, static_cast<ColorRef>(appearanceColorFrom),
                                         static_cast<ColorRef>(appearanceColorTo));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = g.width;
  info.bmiHeader.biHeight = -g.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return;
  auto* out = static_cast<DWORD*>(bits);
  for (std::size_t i = 0; i < g.pixels.size(); ++i) {
    const ColorRef c = g.pixels[i];
    out[i] = static_cast<DWORD>(RedOf(c)) << 16 | static_cast<DWORD>(GreenOf(c)) << 8 | BlueOf(c);
  }
  HBRUSH brush = CreatePatternBrush(bitmap);
  if (!brush) {
    DeleteObject(bitmap);
    return;
  }
  if (gradientBrush_) DeleteObject(gradientBrush_);
  if (gradientBitmap_) DeleteObject(gradientBitmap_);
  gradientBitmap_ = bitmap;
  gradientBrush_ = brush;
  RepaintSliders();
}

// Trackbars cache their background; focusing each makes it draw anew.
void CTolvViewWnd::RepaintSliders() {
  HWND root = GetAncestor(hwnd(), GA_ROOT);
  const bool active = GetActiveWindow() == root;
  HWND previous = GetFocus();
  for (SliderId id : {SliderId::Position, SliderId::Volume, SliderId::Speed, SliderId::Balance}) {
    if (active) SetFocus(slider(id));
    InvalidateRect(slider(id), nullptr, TRUE);
  }
  if (active && previous) SetFocus(previous);
}

LRESULT CTolvViewWnd::OnCtlColor(HDC dc, HWND control) {
  if (!gradientBrush_) return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  // The brush origin follows the control, so the gradient runs through it.
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
  SetBrushOrgEx(dc, -r.left, -r.top, nullptr);
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(gradientBrush_);
}

LRESULT CTolvViewWnd::OnDrawItem(DRAWITEMSTRUCT* item) {
  if (item->CtlType == ODT_BUTTON)
    DrawButton(item);
  else if (item->CtlType == ODT_STATIC)
    DrawPicture(item);
  return TRUE;
}

void CTolvViewWnd::DrawButton(DRAWITEMSTRUCT* d) {
  const int id = static_cast<int>(d->CtlID);
  const ButtonColours colours = ButtonColoursFor(id).value_or(
      ButtonColours{kButtonOrange, kButtonOrange, kButtonOrange, kWhite});
  const bool pressed = (d->itemState & ODS_SELECTED) != 0;
  const bool focused = (d->itemState & ODS_FOCUS) != 0;
  const bool disabled = (d->itemState & ODS_DISABLED) != 0;
  RECT rc = d->rcItem;
  HBRUSH fill = CreateSolidBrush(Colour(pressed ? colours.pressed : focused ? colours.focused : colours.normal));
  FillRect(d->hDC, &rc, fill);
  DeleteObject(fill);
  DrawEdge(d->hDC, &rc, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  if (pressed) OffsetRect(&rc, 1, 1);
  const COLORREF ink = disabled ? RGB(150, 150, 150) : Colour(colours.text);
  if (IsTransport(id)) {
    DrawTransportGlyph(d->hDC, rc, id, playIconPlaying_, largeIcons_, ink);
  } else {
    wchar_t text[64] = {};
    GetWindowTextW(d->hwndItem, text, 64);
    std::wstring caption = text;
    if (id == IDC_STOPWATCH_START) caption = stopwatchRunning_ ? L"Pause" : L"Start";
    SetBkMode(d->hDC, TRANSPARENT);
    SetTextColor(d->hDC, ink);
    DrawTextW(d->hDC, caption.c_str(), -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  if (focused) {
    RECT f = d->rcItem;
    InflateRect(&f, -3, -3);
    DrawFocusRect(d->hDC, &f);
  }
}

void CTolvViewWnd::DrawPicture(DRAWITEMSTRUCT* d) {
  const int id = static_cast<int>(d->CtlID);
  if (id == IDC_VIDEO_PICTURE) {
    FillRect(d->hDC, &d->rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                               32, 32, LR_SHARED));
    const int x = (d->rcItem.left + d->rcItem.right - 32) / 2, y = (d->rcItem.top + d->rcItem.bottom - 32) / 2;
    if (icon && d->rcItem.bottom - d->rcItem.top >= 32) DrawIconEx(d->hDC, x, y, icon, 32, 32, 0, nullptr, DI_NORMAL);
    return;
  }
  if (gradientBrush_) {
    RECT r;
    GetWindowRect(d->hwndItem, &r);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
    SetBrushOrgEx(d->hDC, -r.left, -r.top, nullptr);
    FillRect(d->hDC, &d->rcItem, gradientBrush_);
  }
  DrawSliderIcon(d->hDC, d->rcItem, id);
}

int CTolvViewWnd::CompactFrameHeight() const {
  HWND frame = GetParent(hwnd());
  RECT frameRect, viewRect;
  GetWindowRect(frame, &frameRect);
  GetClientRect(hwnd(), &viewRect);
  return (frameRect.bottom - frameRect.top) - viewRect.bottom + CompactFormHeight();
}

void CTolvViewWnd::ToggleCompact() {
  RECT rc;
  GetClientRect(hwnd(), &rc);
  const CompactToggleResult r = tolv::ToggleCompact(expanded, lastVideoHeight_, rc.right, rc.bottom,
                                                    CompactFrameHeight());
  expanded = r.expanded;
  expandDelta = r.expandDelta;
  // Programmatic sizes may go below the tracking size the user is held to.
  HWND frame = GetParent(hwnd());
  SetPropW(frame, L"TolvFreeSize", reinterpret_cast<HANDLE>(1));
  SetWindowPos(frame, nullptr, 0, 0, r.frameWidth, r.frameHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RemovePropW(frame, L"TolvFreeSize");
  Arrange();
}

LRESULT CALLBACK CTolvViewWnd::SliderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR ref) {
  auto* self = reinterpret_cast<CTolvViewWnd*>(ref);
  const auto slider = static_cast<SliderId>(id);
  switch (message) {
    case WM_LBUTTONDOWN: {
      if (!self->view_) break;
      RECT thumb{};
      SendMessageW(hwnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
      const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const bool onThumb = PtInRect(&thumb, pt) != 0;
      self->view_->OnSliderLButtonDown(slider, onThumb, pt.x);
      if (onThumb) break;
      // A press on the channel only moves the thumb there: no paging.
      SetFocus(hwnd);
      return 0;
    }
    case WM_LBUTTONUP:
      if (self->view_) self->view_->OnSliderLButtonUp(slider);
      break;
    case WM_CAPTURECHANGED: {
      const LRESULT r = DefSubclassProc(hwnd, message, wParam, lParam);
      if (self->view_) self->view_->OnSliderEndDrag(slider);
      return r;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &CTolvViewWnd::SliderProc, id);
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

// --- ITolvForm ---

bool CTolvViewWnd::isPushed(TransportButton button) {
  return (SendMessageW(item(static_cast<int>(button)), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
}

void CTolvViewWnd::setPushed(TransportButton button, bool pushed) {
  SendMessageW(item(static_cast<int>(button)), BM_SETSTATE, pushed ? TRUE : FALSE, 0);
}

void CTolvViewWnd::setPlayIcon(bool playing) {
  playIconPlaying_ = playing;
  InvalidateRect(item(IDC_PLAY), nullptr, FALSE);
}

void CTolvViewWnd::enableStop(bool enabled) { EnableWindow(item(IDC_STOP), enabled); }

void CTolvViewWnd::focusStop() { SetFocus(item(IDC_STOP)); }

int CTolvViewWnd::sliderPos(SliderId s) { return static_cast<int>(SendMessageW(slider(s), TBM_GETPOS, 0, 0)); }

void CTolvViewWnd::setSliderPos(SliderId s, int pos) { SendMessageW(slider(s), TBM_SETPOS, TRUE, pos); }

int CTolvViewWnd::sliderRangeMax(SliderId s) {
  return static_cast<int>(SendMessageW(slider(s), TBM_GETRANGEMAX, 0, 0));
}

void CTolvViewWnd::setSliderRange(SliderId s, int min, int max, bool redraw) {
  SendMessageW(slider(s), TBM_SETRANGEMIN, FALSE, min);
  SendMessageW(slider(s), TBM_SETRANGEMAX, redraw ? TRUE : FALSE, max);
}

void CTolvViewWnd::setSliderPageSize(SliderId s, int size) { SendMessageW(slider(s), TBM_SETPAGESIZE, 0, size); }

void CTolvViewWnd::setSliderLineSize(SliderId s, int size) { SendMessageW(slider(s), TBM_SETLINESIZE, 0, size); }

void CTolvViewWnd::setSliderTicFreq(SliderId s, int freq) { SendMessageW(slider(s), TBM_SETTICFREQ, freq, 0); }

void CTolvViewWnd::setSliderTickSide(SliderId s, TickSide side) {
  HWND h = slider(s);
  LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE) & ~static_cast<LONG_PTR>(TBS_TOP | TBS_BOTH);
  style |= side == TickSide::Top ? TBS_TOP : TBS_BOTTOM;
  SetWindowLongPtrW(h, GWL_STYLE, style);
  InvalidateRect(h, nullptr, TRUE);
}

void CTolvViewWnd::focusSlider(SliderId s) { SetFocus(slider(s)); }

int CTolvViewWnd::sliderChannelWidth(SliderId s) {
  RECT r{};
  SendMessageW(slider(s), TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&r));
  return r.right - r.left;
}

void CTolvViewWnd::setLabel(LabelId label, std::wstring_view text) {
  std::wstring copy(text);
  if (label == LabelId::FileName) {
    mediumName_ = copy;
    copy = ShortFileName(mediumName_);
  }
  SetDlgItemTextW(hwnd(), static_cast<int>(label), copy.c_str());
}

void CTolvViewWnd::setTitle(std::wstring_view text) {
  const std::wstring copy(text);
  SetWindowTextW(GetParent(hwnd()), copy.c_str());
}

std::wstring CTolvViewWnd::editText(EditId edit) {
  wchar_t text[32] = {};
  GetDlgItemTextW(hwnd(), static_cast<int>(edit), text, 32);
  return text;
}

void CTolvViewWnd::setEditText(EditId edit, std::wstring_view text) {
  const std::wstring copy(text);
  SetDlgItemTextW(hwnd(), static_cast<int>(edit), copy.c_str());
}

void CTolvViewWnd::setStopwatchIcon(bool running) {
  stopwatchRunning_ = running;
  InvalidateRect(item(IDC_STOPWATCH_START), nullptr, FALSE);
}

// ------------------------------------------------ player control and opening media

void CTolvViewWnd::MapMediaMessages() {
  messages_.onCommand(ID_FILE_OPEN, [this] { OnFileOpen(); });
  messages_.onCommand(ID_OPEN_REMOTE, [this] { ShowOpenRemote(); });
}

void CTolvViewWnd::CreatePlayerControl() {
  if (!host_.Create(hwnd(), IDC_MEDIA_PLAYER)) {
    // Playback stays with the stand-in: nothing can be opened.
    if (auto log = spdlog::get("tolv"))
      log->error("Error: the media player control could not be created (0x{:08X})",
                 static_cast<unsigned long>(host_.error()));
    return;
  }
  // Destroying the view: the medium's position is stored while the component still has it.
  host_.beforeClose = [this] {
    try {
      if (view_) view_->SaveCurrentMediumPosition();
    } catch (...) {
    }
  };
  component_ = std::make_unique<CWMPPlayer4>(host_.player());
  hosted_ = std::make_unique<CGapFillingPlayer>(*component_);
  slot_.attach(hosted_.get());
}

void CTolvViewWnd::InitMediaOpening() {
  if (settings_ && CreatePlaylistAndBookmarkWindows(*settings_, listFiles_)) {
    opening_ = std::make_unique<CMediaOpening>(hwnd(), kProgramTitle, *settings_, *toolWindows_, [this] {
      mediumShown_ = true;
      Arrange();
    });
    view_->setOpenMediaPorts(opening_->ports());
  }
  openRemote_ = std::make_unique<CDlgOpenFileFromRemote>(
      [this](const std::wstring& location) { view_->OpenMedia(location, true); });
  openRemote_->CreateHidden(GetAncestor(hwnd(), GA_ROOT));
}

void CTolvViewWnd::OnFileOpen() {
  InvalidateRect(hwnd(), nullptr, TRUE);
  try {
    std::vector<wchar_t> name(2048, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = GetAncestor(hwnd(), GA_ROOT);
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING;
    if (!GetOpenFileNameW(&ofn)) {
      // Cancel is no error; a dialog that could not work (a name too long for the buffer) is.
      if (CommDlgExtendedError() != 0) throw std::runtime_error("open dialog");
      return;
    }
    view_->OpenMedia(name.data(), true);
  } catch (...) {
    boxes_->show(L"Error opening the file!", MessageIcon::Warning);
  }
}

void CTolvViewWnd::ShowOpenRemote() {
  if (openRemote_) openRemote_->Show();
}

// The go-to-time window has no template yet; the button leaves the player paused.
void CTolvViewWnd::openPlaypointDialog() {}

}  // namespace tolv
