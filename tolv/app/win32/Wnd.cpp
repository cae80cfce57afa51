#include "tolv/app/win32/Wnd.h"

#include <algorithm>
#include <exception>
#include <vector>

namespace tolv {
namespace {

// Modeless dialogs of the user-interface thread, for keyboard navigation.
std::vector<HWND>& modelessDialogs() {
  static std::vector<HWND> dialogs;
  return dialogs;
}

}  // namespace

std::wstring WideFromUtf8(const char* text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (n <= 0) return L"";
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), n);
  out.resize(static_cast<std::size_t>(n) - 1);
  return out;
}

namespace {
HandlerErrorReporter g_reporter = nullptr;
}

void SetHandlerErrorReporter(HandlerErrorReporter reporter) { g_reporter = reporter; }

void ReportHandlerException(HWND owner) {
  std::wstring text = L"An unknown error occurred.";
  try {
    throw;
  } catch (const std::exception& e) {
    text = WideFromUtf8(e.what());
  } catch (...) {
  }
  if (g_reporter)
    g_reporter(owner, text);
  else
    MessageBoxW(owner, text.c_str(), L"Tolv", MB_OK | MB_ICONERROR);
}

bool CMessageMap::dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const {
  if (message == WM_COMMAND) {
    const UINT id = LOWORD(wParam), code = HIWORD(wParam);
    // Menus send 0, accelerators 1, buttons BN_CLICKED (0).
    if (code == 0 || (code == 1 && lParam == 0)) {
      if (auto it = commands_.find(id); it != commands_.end()) {
        it->second();
        result = 0;
        return true;
      }
    }
    if (auto it = controls_.find({id, code}); it != controls_.end()) {
      it->second();
      result = 0;
      return true;
    }
  } else if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (auto it = notifies_.find({static_cast<UINT>(header->idFrom), header->code}); it != notifies_.end()) {
      result = it->second(header);
      return true;
    }
  }
  if (auto it = messages_.find(message); it != messages_.end()) {
    result = it->second(wParam, lParam);
    return true;
  }
  return false;
}

// --- CWnd ---

CWnd::~CWnd() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
  }
}

CWnd* CWnd::FromHandle(HWND hwnd) { return reinterpret_cast<CWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

bool CWnd::RegisterWindowClass(const wchar_t* className, HICON icon, HBRUSH background, UINT style) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = &CWnd::StaticWndProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = icon;
  wc.hIconSm = icon;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y, int w,
                    int h, HWND parent, HMENU menu) {
  return CreateWindowExW(exStyle, className, title, style, x, y, w, h, parent, menu, GetModuleHandleW(nullptr), this) !=
         nullptr;
}

void CWnd::DestroyWindow() {
  if (hwnd_) ::DestroyWindow(hwnd_);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (messages_.dispatch(message, wParam, lParam, result)) return result;
  return Default(message, wParam, lParam);
}

LRESULT CWnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* self = FromHandle(hwnd);
  if (message == WM_NCCREATE) {
    self = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result = 0;
  try {
    result = self->WindowProc(message, wParam, lParam);
  } catch (...) {
    ReportHandlerException(hwnd);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->PostNcDestroy();
  }
  return result;
}

// --- CDialog ---

CDialog::~CDialog() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    auto& list = modelessDialogs();
    list.erase(std::remove(list.begin(), list.end(), hwnd_), list.end());
    ::DestroyWindow(hwnd_);
  }
}

CDialog* CDialog::FromHandle(HWND hwnd) { return reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER)); }

INT_PTR CDialog::DoModal(HWND parent) {
  modal_ = true;
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent, &CDialog::StaticDialogProc,
                         reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create(HWND parent) {
  modal_ = false;
  HWND hwnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent,
                                 &CDialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
  if (!hwnd) return false;
  modelessDialogs().push_back(hwnd);
  return true;
}

void CDialog::DestroyWindow() {
  if (hwnd_) ::DestroyWindow(hwnd_);
}

void CDialog::EndDialog(INT_PTR result) {
  if (modal_)
    ::EndDialog(hwnd_, result);
  else
    DestroyWindow();
}

bool CDialog::PreTranslate(MSG& msg) {
  for (HWND dialog : modelessDialogs())
    if (IsWindow(dialog) && (dialog == msg.hwnd || IsChild(dialog, msg.hwnd)) && IsDialogMessageW(dialog, &msg))
      return true;
  return false;
}

INT_PTR CDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog();
  LRESULT result = 0;
  if (messages_.dispatch(message, wParam, lParam, result)) {
    switch (message) {
      // These return their result straight from the dialog procedure.
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORDLG:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
      case WM_CTLCOLORSCROLLBAR:
      case WM_CTLCOLORSTATIC:
      case WM_COMPAREITEM:
      case WM_VKEYTOITEM:
      case WM_CHARTOITEM:
      case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(result);
      default:
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
  }
  if (message == WM_COMMAND && HIWORD(wParam) == 0) {
    if (LOWORD(wParam) == IDOK) {
      OnOK();
      return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
      OnCancel();
      return TRUE;
    }
  }
  return FALSE;
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* self = FromHandle(hwnd);
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lParam);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self) return FALSE;
  INT_PTR result = FALSE;
  try {
    result = self->DialogProc(message, wParam, lParam);
  } catch (...) {
    ReportHandlerException(hwnd);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    auto& list = modelessDialogs();
    list.erase(std::remove(list.begin(), list.end(), hwnd), list.end());
    self->hwnd_ = nullptr;
    self->PostNcDestroy();
  }
  return result;
}

}  // namespace tolv
