#include "tolv/playback/win32/MediaPlayerHost.h"

#include <olectl.h>
#include <oleauto.h>
#include <wmp.h>

namespace tolv {
namespace {

constexpr wchar_t kHostClass[] = L"TolvPlayerHost";

template <class T>
void ReleaseAndClear(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

RECT ClientRect(HWND hwnd) {
  RECT rc{};
  GetClientRect(hwnd, &rc);
  return rc;
}

}  // namespace

// The frame the component sees while in-place active: the top-level window.
// It offers no tool space, no menus and no accelerators of its own.
class CMediaPlayerHost::Frame : public IOleInPlaceFrame {
 public:
  explicit Frame(HWND window) : window_(window) {}
  virtual ~Frame() = default;

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IOleInPlaceUIWindow ||
        riid == IID_IOleInPlaceFrame) {
      *out = static_cast<IOleInPlaceFrame*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP GetWindow(HWND* out) override {
    *out = GetAncestor(window_, GA_ROOT);
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  HWND window_;
  LONG refs_ = 1;
};

// The control's site: client site, in-place site in the host window, and the
// ambient properties (user mode, no design-time decorations). Wine's
// component activates in place only through the extended in-place site.
class CMediaPlayerHost::Site : public IOleClientSite, public IOleInPlaceSiteEx, public IDispatch {
 public:
  explicit Site(CMediaPlayerHost& host) : host_(&host) {}
  virtual ~Site() = default;
  // The host is going away; late calls from the component find no host.
  void Detach() { host_ = nullptr; }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
      *out = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite || riid == IID_IOleInPlaceSiteEx)
      *out = static_cast<IOleInPlaceSiteEx*>(this);
    else if (riid == IID_IDispatch)
      *out = static_cast<IDispatch*>(this);
    else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }

  // --- IOleClientSite ---
  STDMETHODIMP SaveObject() override { return S_OK; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // --- IOleInPlaceSite ---
  STDMETHODIMP GetWindow(HWND* out) override {
    *out = host_ ? host_->window_ : nullptr;
    return *out ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP CanInPlaceActivate() override { return host_ ? S_OK : S_FALSE; }
  STDMETHODIMP OnInPlaceActivate() override {
    if (host_ && host_->object_ && !host_->inPlace_)
      host_->object_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&host_->inPlace_));
    return S_OK;
  }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    if (!host_) return E_FAIL;
    *frame = new Frame(host_->window_);
    *document = nullptr;
    *position = ClientRect(host_->window_);
    *clip = *position;
    info->fMDIApp = FALSE;
    info->hwndFrame = GetAncestor(host_->window_, GA_ROOT);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override {
    if (host_) ReleaseAndClear(host_->inPlace_);
    return S_OK;
  }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT rect) override {
    if (host_ && host_->inPlace_) host_->inPlace_->SetObjectRects(rect, rect);
    return S_OK;
  }

  // --- IOleInPlaceSiteEx ---
  STDMETHODIMP OnInPlaceActivateEx(BOOL* noRedraw, DWORD) override {
    if (noRedraw) *noRedraw = FALSE;
    return OnInPlaceActivate();
  }
  STDMETHODIMP OnInPlaceDeactivateEx(BOOL) override { return OnInPlaceDeactivate(); }
  STDMETHODIMP RequestUIActivate() override { return S_OK; }

  // --- IDispatch: ambient properties ---
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
    if (!result) return E_POINTER;
    VariantInit(result);
    switch (id) {
      case DISPID_AMBIENT_USERMODE:
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_TRUE;
        return S_OK;
      case DISPID_AMBIENT_UIDEAD:
      case DISPID_AMBIENT_SHOWGRABHANDLES:
      case DISPID_AMBIENT_SHOWHATCHING:
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_FALSE;
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

 private:
  CMediaPlayerHost* host_;
  LONG refs_ = 1;
};

bool CMediaPlayerHost::Create(HWND parent, int controlId, const CLSID& clsid) {
  Destroy();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExW(instance, kHostClass, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &CMediaPlayerHost::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kHostClass;
    if (!RegisterClassExW(&wc)) return Fail(HRESULT_FROM_WIN32(GetLastError()));
  }
  window_ = CreateWindowExW(0, kHostClass, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance, this);
  if (!window_) return Fail(HRESULT_FROM_WIN32(GetLastError()));

  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(&object_));
  if (FAILED(hr)) return Fail(hr);
  site_ = new Site(*this);
  hr = object_->SetClientSite(static_cast<IOleClientSite*>(site_));
  if (FAILED(hr)) return Fail(hr);
  IPersistStreamInit* persist = nullptr;
  if (SUCCEEDED(object_->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)))) {
    persist->InitNew();
    persist->Release();
  }
  hr = object_->QueryInterface(__uuidof(IWMPPlayer4), reinterpret_cast<void**>(&player_));
  if (FAILED(hr)) return Fail(hr);
  // Only the picture: the form has transport controls of its own.
  if (BSTR none = SysAllocString(L"none")) {
    player_->put_uiMode(none);
    SysFreeString(none);
  }
  player_->put_enableContextMenu(VARIANT_FALSE);

  RECT rc = ClientRect(window_);
  hr = object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(site_), 0, window_, &rc);
  if (FAILED(hr)) return Fail(hr);
  error_ = S_OK;
  return true;
}

bool CMediaPlayerHost::Fail(HRESULT hr) {
  Destroy();
  error_ = hr;
  return false;
}

void CMediaPlayerHost::Deactivate() {
  if (inPlace_) inPlace_->InPlaceDeactivate();
  ReleaseAndClear(inPlace_);
  if (object_) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
  }
  ReleaseAndClear(object_);
  if (site_) {
    site_->Detach();
    site_->Release();
    site_ = nullptr;
  }
}

void CMediaPlayerHost::Destroy() {
  Deactivate();
  ReleaseAndClear(player_);
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
    window_ = nullptr;
  }
}

void CMediaPlayerHost::OnSize() {
  if (!inPlace_) return;
  const RECT rc = ClientRect(window_);
  inPlace_->SetObjectRects(&rc, &rc);
}

LRESULT CALLBACK CMediaPlayerHost::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* host = reinterpret_cast<CMediaPlayerHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (host) {
    switch (message) {
      case WM_SIZE:
        host->OnSize();
        break;
      // Destroyed with the form: the component leaves while its own window
      // still exists. Its player object stays referenced until Destroy().
      case WM_DESTROY:
        if (host->beforeClose) host->beforeClose();
        host->Deactivate();
        break;
      case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        host->window_ = nullptr;
        break;
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace tolv
