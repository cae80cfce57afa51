// A stand-in for a running word processor's automation server: an object put
// in the running object table under a class id that the test has registered
// with the program id "Word.Application". It records every IDispatch call it
// gets, one line each, into a UTF-8 log file:
//   "ready"                               once it is in the running object table
//   "Application 3 get" / "Application 5 get"
//   "Selection 602 method", "Selection 603 method", "Selection 507 method <text>"
// Usage: word_double.exe <class id> <log file> <quit event> [nodoc]
// With "nodoc" reading ActiveDocument fails as with no document open.
// It ends when the named event is set (or after a minute).
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>

#include <string>

namespace {

std::wstring logPath;
bool noDocument = false;

void Record(const std::wstring& line) {
  const std::wstring full = line + L"\n";
  const int size = WideCharToMultiByte(CP_UTF8, 0, full.data(), int(full.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, full.data(), int(full.size()), utf8.data(), size, nullptr, nullptr);
  HANDLE file = CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, utf8.data(), DWORD(utf8.size()), &written, nullptr);
  CloseHandle(file);
}

class DispatchObject : public IDispatch {
 public:
  explicit DispatchObject(const wchar_t* name) : name_(name) {}
  virtual ~DispatchObject() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT*) override {
    std::wstring line = name_ + L" " + std::to_wstring(dispid);
    line += (flags & DISPATCH_PROPERTYGET) && !(flags & DISPATCH_METHOD) ? L" get"
            : (flags & DISPATCH_METHOD) && !(flags & DISPATCH_PROPERTYGET) ? L" method"
                                                                           : L" flags" + std::to_wstring(flags);
    for (UINT i = params ? params->cArgs : 0; i > 0; --i) {
      const VARIANT& arg = params->rgvarg[i - 1];
      line += arg.vt == VT_BSTR ? L" " + std::wstring(arg.bstrVal, SysStringLen(arg.bstrVal)) : L" <not a string>";
    }
    Record(line);
    return Answer(dispid, result, exception);
  }

 protected:
  virtual HRESULT Answer(DISPID dispid, VARIANT* result, EXCEPINFO* exception) = 0;

 private:
  LONG refs_ = 1;
  std::wstring name_;
};

class Selection : public DispatchObject {
 public:
  Selection() : DispatchObject(L"Selection") {}

 protected:
  HRESULT Answer(DISPID dispid, VARIANT*, EXCEPINFO*) override {
    return dispid == 507 || dispid == 602 || dispid == 603 ? S_OK : DISP_E_MEMBERNOTFOUND;
  }
};

class Document : public DispatchObject {
 public:
  Document() : DispatchObject(L"Document") {}

 protected:
  HRESULT Answer(DISPID, VARIANT*, EXCEPINFO*) override { return DISP_E_MEMBERNOTFOUND; }
};

class Application : public DispatchObject {
 public:
  Application() : DispatchObject(L"Application") {}

 protected:
  HRESULT Answer(DISPID dispid, VARIANT* result, EXCEPINFO* exception) override {
    if (dispid == 3 && noDocument) {
      if (exception) {
        *exception = EXCEPINFO{};
        exception->scode = static_cast<SCODE>(0x800A1098);
        exception->bstrDescription = SysAllocString(L"This command is not available because no document is open.");
      }
      return DISP_E_EXCEPTION;
    }
    if (dispid != 3 && dispid != 5) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_INVALIDARG;
    VariantInit(result);
    result->vt = VT_DISPATCH;
    result->pdispVal = dispid == 3 ? static_cast<IDispatch*>(new Document) : new Selection;
    return S_OK;
  }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 4) return 2;
  CLSID clsid;
  if (FAILED(CLSIDFromString(argv[1], &clsid))) return 3;
  logPath = argv[2];
  HANDLE quit = CreateEventW(nullptr, TRUE, FALSE, argv[3]);
  noDocument = argc > 4 && std::wstring(argv[4]) == L"nodoc";
  if (!quit) return 4;

  if (FAILED(CoInitialize(nullptr))) return 5;
  Application* application = new Application;
  DWORD cookie = 0;
  if (FAILED(RegisterActiveObject(application, clsid, ACTIVEOBJECT_STRONG, &cookie))) return 6;
  Record(L"ready");

  // Incoming calls arrive as window messages of this apartment.
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD waited = MsgWaitForMultipleObjects(1, &quit, FALSE, 100, QS_ALLINPUT);
    if (waited == WAIT_OBJECT_0) break;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (GetTickCount() - start > 60000) break;
  }
  RevokeActiveObject(cookie, nullptr);
  application->Release();
  CoUninitialize();
  CloseHandle(quit);
  return 0;
}
