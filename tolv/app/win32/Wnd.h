#pragma once
// A small window framework of the player: windows and dialogs whose messages
// and command identifiers are mapped to handlers. Only this layer unpacks
// window procedures; handlers receive WPARAM/LPARAM of their own message.
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <utility>

namespace tolv {

// Handlers of one window, filled in by its class's constructor.
class CMessageMap {
 public:
  using Handler = std::function<LRESULT(WPARAM, LPARAM)>;
  using Command = std::function<void()>;
  using Notify = std::function<LRESULT(NMHDR*)>;

  void on(UINT message, Handler handler) { messages_[message] = std::move(handler); }
  // WM_COMMAND from a menu, an accelerator or a button click (BN_CLICKED).
  void onCommand(UINT id, Command handler) { commands_[id] = std::move(handler); }
  // WM_COMMAND with any other notification code (EN_CHANGE ...).
  void onControl(UINT id, UINT code, Command handler) { controls_[{id, code}] = std::move(handler); }
  // WM_NOTIFY from control id with the given code.
  void onNotify(UINT id, UINT code, Notify handler) { notifies_[{id, code}] = std::move(handler); }

  bool handlesCommand(UINT id) const { return commands_.count(id) != 0; }
  // Runs the handler of the message, if any; false when none is mapped.
  bool dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const;

 private:
  std::map<UINT, Handler> messages_;
  std::map<UINT, Command> commands_;
  std::map<std::pair<UINT, UINT>, Command> controls_;
  std::map<std::pair<UINT, UINT>, Notify> notifies_;
};

// What the framework does with an exception that leaves a handler: a message
// box with its text; the handler in progress has ended.
void ReportHandlerException(HWND owner);
// Replaces the message box (tests); nullptr restores it.
using HandlerErrorReporter = void (*)(HWND owner, const std::wstring& text);
void SetHandlerErrorReporter(HandlerErrorReporter reporter);

std::wstring WideFromUtf8(const char* text);

class CWnd {
 public:
  CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  virtual ~CWnd();

  HWND hwnd() const { return hwnd_; }
  static CWnd* FromHandle(HWND hwnd);

  // Registers a class whose windows run through CWnd's procedure.
  static bool RegisterWindowClass(const wchar_t* className, HICON icon, HBRUSH background, UINT style = 0);
  bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y, int w,
                int h, HWND parent, HMENU menu);
  void DestroyWindow();

 protected:
  // Mapped handlers first, then Default().
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
  // The window is gone; hwnd() is null again.
  virtual void PostNcDestroy() {}

  CMessageMap messages_;

 private:
  static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

// Dialogs from templates of the program's resources, modal or modeless.
class CDialog {
 public:
  explicit CDialog(UINT templateId) : templateId_(templateId) {}
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;
  virtual ~CDialog();

  INT_PTR DoModal(HWND parent);
  // Modeless; keyboard navigation runs through the message loop (PreTranslate).
  bool Create(HWND parent);
  void DestroyWindow();
  HWND hwnd() const { return hwnd_; }
  HWND item(int id) const { return GetDlgItem(hwnd_, id); }
  static CDialog* FromHandle(HWND hwnd);

  // Lets every modeless dialog of the thread take its keyboard messages.
  static bool PreTranslate(MSG& msg);

 protected:
  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Modal: ends the dialog with result; modeless: destroys the window.
  void EndDialog(INT_PTR result);
  virtual void PostNcDestroy() {}

  CMessageMap messages_;

 private:
  static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);

  UINT templateId_;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
};

}  // namespace tolv
