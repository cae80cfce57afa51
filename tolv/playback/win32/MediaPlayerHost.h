#pragma once
// A small ActiveX control container for the media player component: a child
// window of the form (the control's identifier) whose client area the
// component is in-place activated in. Resizing the window resizes the
// component's video surface with it.
#include <windows.h>
#include <ole2.h>

#include <functional>

struct IWMPPlayer4;

namespace tolv {

// {6BF52A52-394A-11D3-B153-00C04F79FAA6}
inline constexpr CLSID kClsidWindowsMediaPlayer = {
    0x6bf52a52, 0x394a, 0x11d3, {0xb1, 0x53, 0x00, 0xc0, 0x4f, 0x79, 0xfa, 0xa6}};

class CMediaPlayerHost {
 public:
  CMediaPlayerHost() = default;
  ~CMediaPlayerHost() { Destroy(); }
  CMediaPlayerHost(const CMediaPlayerHost&) = delete;
  CMediaPlayerHost& operator=(const CMediaPlayerHost&) = delete;

  // Creates the control window and the component in it. OLE must be
  // initialised on this thread. False, with error() telling why and no
  // window left behind, when the component cannot be created or activated.
  bool Create(HWND parent, int controlId, const CLSID& clsid = kClsidWindowsMediaPlayer);
  // Deactivates and releases the component, then destroys the window. Must
  // run before OLE is uninitialised; later calls do nothing. Destroying the
  // parent window deactivates and closes the component as well; the player
  // object is then released here.
  void Destroy();

  // Runs when the control's window is being destroyed, while the component
  // still plays its medium (the last moment to ask it anything).
  std::function<void()> beforeClose;

  HWND hwnd() const { return window_; }
  // The component's player object while it is hosted (the host keeps the reference).
  IWMPPlayer4* player() const { return player_; }
  HRESULT error() const { return error_; }

 private:
  class Site;
  class Frame;
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnSize();
  void Deactivate();
  bool Fail(HRESULT hr);

  HWND window_ = nullptr;
  Site* site_ = nullptr;
  IOleObject* object_ = nullptr;
  IOleInPlaceObject* inPlace_ = nullptr;
  IWMPPlayer4* player_ = nullptr;
  HRESULT error_ = S_OK;

  friend class Site;
};

}  // namespace tolv
