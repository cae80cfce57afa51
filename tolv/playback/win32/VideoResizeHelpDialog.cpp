#include "tolv/playback/win32/VideoResizeHelpDialog.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tolv {

namespace {

// A DLGTEMPLATE with its items, laid out as the dialog manager reads it:
// WORD-aligned strings after each header, DWORD-aligned item headers.
class TemplateWriter {
 public:
  void dialog(DWORD style, WORD items, short cx, short cy, const wchar_t* title) {
    DLGTEMPLATE t{};
    t.style = style;
    t.cdit = items;
    t.cx = cx;
    t.cy = cy;
    raw(&t, sizeof t);
    word(0);  // no menu
    word(0);  // default class
    text(title);
    word(9);  // point size (DS_SETFONT)
    text(L"MS Shell Dlg");
  }
  void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom, const wchar_t* title) {
    while (bytes_.size() % 4) bytes_.push_back(0);
    DLGITEMTEMPLATE t{};
    t.style = style | WS_CHILD | WS_VISIBLE;
    t.x = x;
    t.y = y;
    t.cx = cx;
    t.cy = cy;
    t.id = id;
    raw(&t, sizeof t);
    word(0xFFFF);
    word(classAtom);
    text(title);
    word(0);  // no creation data
  }
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

 private:
  void raw(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  void word(WORD w) { raw(&w, sizeof w); }
  void text(const wchar_t* s) { raw(s, (wcslen(s) + 1) * sizeof(wchar_t)); }
  std::vector<uint8_t> bytes_;
};

constexpr WORD kButton = 0x0080, kStatic = 0x0082;

INT_PTR CALLBACK HelpProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* dialog = reinterpret_cast<CVideoResizeHelp*>(lParam);
      SetWindowLongPtrW(window, DWLP_USER, lParam);
      CheckDlgButton(window, VideoHelpHideNextTimeId, dialog->hideNextTimeChecked() ? BST_CHECKED : BST_UNCHECKED);
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == VideoHelpHideNextTimeId && HIWORD(wParam) == BN_CLICKED) {
        auto* dialog = reinterpret_cast<CVideoResizeHelp*>(GetWindowLongPtrW(window, DWLP_USER));
        if (dialog) dialog->OnHideNextTimeClicked(IsDlgButtonChecked(window, id) == BST_CHECKED);
        return TRUE;
      }
      if (id == IDOK || id == IDCANCEL) {
        EndDialog(window, id);
        return TRUE;
      }
      break;
    }
    default:
      break;
  }
  return FALSE;
}

}  // namespace

void ShowVideoResizeHelpDialog(HWND owner, CVideoResizeHelp& dialog) {
  TemplateWriter t;
  t.dialog(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 3, 220, 80,
           CVideoResizeHelp::kTitle);
  t.item(SS_LEFT, 10, 10, 200, 24, VideoHelpTextId, kStatic, CVideoResizeHelp::kText);
  t.item(BS_AUTOCHECKBOX | WS_TABSTOP, 10, 40, 120, 12, VideoHelpHideNextTimeId, kButton,
         CVideoResizeHelp::kHideNextTime);
  t.item(BS_DEFPUSHBUTTON | WS_TABSTOP, 160, 58, 50, 14, IDOK, kButton, L"OK");
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), owner, HelpProc, reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace tolv
