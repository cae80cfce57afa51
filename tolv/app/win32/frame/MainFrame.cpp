#include "tolv/app/win32/frame/MainFrame.h"

#include <commctrl.h>

#include "tolv/app/FrameSizing.h"
#include "tolv/app/resource.h"
#include "tolv/app/win32/frame/Dialogs.h"
#include "tolv/config/Settings.h"
#include "tolv/config/files/win32/ConfigDialogs.h"
#include "tolv/config/win32/Win32DataFiles.h"

namespace tolv {
namespace {

constexpr UINT_PTR kIndicatorTimerId = 1;
constexpr int kMessagePaneWidth = 152;
constexpr int kIndicatorWidth = 40;
constexpr int kInitialWidth = 330;
constexpr int kInitialHeight = 520;

SizingEdge EdgeOf(WPARAM wmsz) {
  switch (wmsz) {
    case WMSZ_LEFT: return SizingEdge::Left;
    case WMSZ_RIGHT: return SizingEdge::Right;
    case WMSZ_TOP: return SizingEdge::Top;
    case WMSZ_TOPLEFT: return SizingEdge::TopLeft;
    case WMSZ_TOPRIGHT: return SizingEdge::TopRight;
    case WMSZ_BOTTOMLEFT: return SizingEdge::BottomLeft;
    case WMSZ_BOTTOMRIGHT: return SizingEdge::BottomRight;
    default: return SizingEdge::Bottom;
  }
}

// A stored rectangle that no screen could show is no placement.
bool Plausible(const WindowPlacementRecord& r) {
  const long long w = static_cast<long long>(r.right) - r.left, h = static_cast<long long>(r.bottom) - r.top;
  return w > 0 && h > 0 && w <= 32767 && h <= 32767 && r.left > -32768 && r.top > -32768 && r.right < 32768 &&
         r.bottom < 32768;
}

}  // namespace

WINDOWPLACEMENT ToWindowPlacement(const WindowPlacementRecord& r) {
  WINDOWPLACEMENT p{};
  p.length = sizeof(p);
  p.flags = static_cast<UINT>(r.flags);
  p.showCmd = static_cast<UINT>(r.showCmd);
  p.ptMinPosition = {r.minX, r.minY};
  p.ptMaxPosition = {r.maxX, r.maxY};
  p.rcNormalPosition = {r.left, r.top, r.right, r.bottom};
  return p;
}

WindowPlacementRecord FromWindowPlacement(const WINDOWPLACEMENT& p) {
  WindowPlacementRecord r;
  r.flags = static_cast<std::int32_t>(p.flags);
  r.showCmd = static_cast<std::int32_t>(p.showCmd);
  r.minX = p.ptMinPosition.x;
  r.minY = p.ptMinPosition.y;
  r.maxX = p.ptMaxPosition.x;
  r.maxY = p.ptMaxPosition.y;
  r.left = p.rcNormalPosition.left;
  r.top = p.rcNormalPosition.top;
  r.right = p.rcNormalPosition.right;
  r.bottom = p.rcNormalPosition.bottom;
  return r;
}

CMainFrame::CMainFrame(CSettingsStore& settings, IMediaPlayer& player) : settings_(settings), view_(player) {
  MapMessages();
}

bool CMainFrame::Create() {
  view_.setSettingsStore(&settings_);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
  if (!RegisterWindowClass(kMainFrameClass, icon, nullptr)) return false;
  HMENU menu = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
  return CreateEx(WS_EX_TOPMOST, kMainFrameClass, kProgramTitle,
                  WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_CLIPCHILDREN, CW_USEDEFAULT,
                  CW_USEDEFAULT, kInitialWidth, kInitialHeight, nullptr, menu);
}

void CMainFrame::ShowFirstTime(const std::wstring& commandLinePath) {
  view_.OnInitialUpdate(commandLinePath);
  if (auto stored = settings_.MainFramePlacement(); stored && Plausible(*stored)) {
    WINDOWPLACEMENT p = ToWindowPlacement(*stored);
    // The program never starts minimised or maximised.
    p.showCmd = SW_SHOWNORMAL;
    SetWindowPlacement(hwnd(), &p);
  }
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  UpdateWindow(hwnd());
}

void CMainFrame::SetAlwaysOnTop(bool onTop) {
  SetWindowPos(hwnd(), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CMainFrame::MapMessages() {
  messages_.on(WM_CREATE, [this](WPARAM, LPARAM) -> LRESULT {
    statusBar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"Ready", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                 hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!view_.Create(hwnd())) return -1;
    SetTimer(hwnd(), kIndicatorTimerId, 250, nullptr);
    LayoutChildren();
    ShowWindow(view_.hwnd(), SW_SHOW);
    return 0;
  });
  messages_.on(WM_SIZE, [this](WPARAM, LPARAM) {
    LayoutChildren();
    return 0;
  });
  // Back in front, the form's last focused control takes the keys again.
  messages_.on(WM_SETFOCUS, [this](WPARAM, LPARAM) {
    if (view_.hwnd()) SetFocus(view_.hwnd());
    return 0;
  });
  messages_.on(WM_GETMINMAXINFO, [this](WPARAM, LPARAM lParam) {
    // The compact toggle sizes the frame below what the user may drag to.
    if (!GetPropW(hwnd(), L"TolvFreeSize")) {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize = {kMinTrackWidth, kMinTrackHeight};
    }
    return 0;
  });
  messages_.on(WM_SIZING, [this](WPARAM edge, LPARAM lParam) -> LRESULT {
    auto* rc = reinterpret_cast<RECT*>(lParam);
    const FrameRect r = SizingRect({rc->left, rc->top, rc->right, rc->bottom}, EdgeOf(edge), view_.expanded,
                                   GetSystemMetrics(SM_CXEDGE));
    *rc = {r.left, r.top, r.right, r.bottom};
    return TRUE;
  });
  messages_.on(WM_TIMER, [this](WPARAM id, LPARAM) {
    if (id == kIndicatorTimerId) UpdateIndicators();
    return 0;
  });
  messages_.on(WM_CLOSE, [this](WPARAM, LPARAM) {
    OnClose();
    return 0;
  });
  messages_.on(WM_DESTROY, [](WPARAM, LPARAM) {
    PostQuitMessage(0);
    return 0;
  });
  // Commands the frame does not handle go to the view.
  messages_.on(WM_COMMAND, [this](WPARAM wParam, LPARAM lParam) {
    return view_.hwnd() ? SendMessageW(view_.hwnd(), WM_COMMAND, wParam, lParam) : 0;
  });
  messages_.onCommand(ID_APP_ABOUT, [this] { CAboutDlg().DoModal(hwnd()); });
  messages_.onCommand(ID_APP_EXIT, [this] { SendMessageW(hwnd(), WM_CLOSE, 0, 0); });
  // Settings: changes reach the frame while the dialog is open.
  messages_.onCommand(ID_SETTINGS, [this] {
    static Win32DataFiles ownFiles;
    IDataFiles& files = view_.dataFiles() ? *view_.dataFiles() : ownFiles;
    SettingsWindowLinks links;
    links.setAlwaysOnTop = [this](bool onTop) { SetAlwaysOnTop(onTop); };
    links.applyColors = [this](int from, int to) {
      view_.SetAppearance(static_cast<ColorRef>(from), static_cast<ColorRef>(to));
    };
    CDlgSettings(files, std::move(links)).DoModal(hwnd());
    // Once more without the dialog: Wine keeps an owner below its open dialog.
    SetAlwaysOnTop(alwaysOnTop != 0);
  });
}

void CMainFrame::LayoutChildren() {
  RECT rc;
  GetClientRect(hwnd(), &rc);
  int statusHeight = 0;
  if (statusBar_) {
    SendMessageW(statusBar_, WM_SIZE, 0, 0);
    RECT sb;
    GetWindowRect(statusBar_, &sb);
    statusHeight = sb.bottom - sb.top;
    const int parts[] = {kMessagePaneWidth, kMessagePaneWidth + kIndicatorWidth,
                         kMessagePaneWidth + 2 * kIndicatorWidth, -1};
    SendMessageW(statusBar_, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(parts));
  }
  if (view_.hwnd())
    SetWindowPos(view_.hwnd(), nullptr, 0, 0, rc.right, rc.bottom - statusHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainFrame::UpdateIndicators() {
  if (!statusBar_) return;
  const struct {
    int key;
    const wchar_t* text;
  } indicators[] = {{VK_CAPITAL, L"CAP"}, {VK_NUMLOCK, L"NUM"}, {VK_SCROLL, L"SCRL"}};
  for (int i = 0; i < 3; ++i) {
    const wchar_t* text = (GetKeyState(indicators[i].key) & 1) ? indicators[i].text : L"";
    SendMessageW(statusBar_, SB_SETTEXTW, i + 1, reinterpret_cast<LPARAM>(text));
  }
}

void CMainFrame::OnClose() {
  WINDOWPLACEMENT p{};
  p.length = sizeof(p);
  if (GetWindowPlacement(hwnd(), &p)) settings_.SetMainFramePlacement(FromWindowPlacement(p));
  KillTimer(hwnd(), kIndicatorTimerId);
  view_.StopTimers();
  view_.StopPedalWatcher();
  DestroyWindow();
}

}  // namespace tolv
