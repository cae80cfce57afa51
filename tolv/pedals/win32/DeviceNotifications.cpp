#include "tolv/pedals/win32/DeviceNotifications.h"

#include <shlobj.h>

#include <mutex>
#include <set>
#include <vector>

namespace tolv {

using namespace vrdm;

namespace {

LONG liveObjects = 0;

// Owners alive now. Recursive: an owner's handler may call the SDK, which
// may notify again on the same thread.
std::recursive_mutex ownersLock;
std::set<const CLiveVRDMOwner*>& LiveOwners() {
  static std::set<const CLiveVRDMOwner*> owners;
  return owners;
}

// Runs report(owner) with the owner kept alive, or nothing when it is gone.
template <class Logic, class Report>
auto Reported(CLiveVRDMOwner* owner, Logic& logic, Report report) {
  std::lock_guard<std::recursive_mutex> lock(ownersLock);
  logic.Initialze(owner && LiveOwners().count(owner) ? owner : nullptr);
  return report(logic);
}

// Reference counting and QueryInterface for an object with one own interface.
template <class Interface, const IID& Iid>
class ComObject : public Interface {
 public:
  ComObject() { InterlockedIncrement(&liveObjects); }
  virtual ~ComObject() { InterlockedDecrement(&liveObjects); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, Iid)) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
  }

 private:
  LONG refs_ = 1;
};

class DeviceNotificationObject final : public ComObject<IVRDMDeviceNotification, IID_IVRDMDeviceNotification> {
 public:
  explicit DeviceNotificationObject(CLiveVRDMOwner* owner) : owner_(owner) {}
  HRESULT STDMETHODCALLTYPE OnDeviceNotify(LONG event, LONGLONG device, LONG extra) override {
    Reported(owner_, logic_, [&](CVRDMDeviceNotification& l) {
      l.OnDeviceNotify(event, static_cast<std::intptr_t>(device), extra);
    });
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDeviceNotifyString(LONG, BSTR text) override {
    // The string is handed over to us.
    SysFreeString(text);
    logic_.OnDeviceNotifyString();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDeviceErrorNotify(LONG, LONG) override {
    logic_.OnDeviceErrorNotify();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Initialze(LONGLONG owner) override {
    // Compared, never followed, until found among the live owners.
    std::lock_guard<std::recursive_mutex> lock(ownersLock);
    for (const CLiveVRDMOwner* live : LiveOwners()) {
      if (reinterpret_cast<std::intptr_t>(live) == static_cast<std::intptr_t>(owner)) {
        owner_ = const_cast<CLiveVRDMOwner*>(live);
        return S_OK;
      }
    }
    return E_INVALIDARG;
  }

 private:
  CLiveVRDMOwner* owner_;
  CVRDMDeviceNotification logic_;
};

class ButtonNotificationObject final : public ComObject<IVRDMButtonNotification, IID_IVRDMButtonNotification> {
 public:
  explicit ButtonNotificationObject(CLiveVRDMOwner* owner) : owner_(owner) {}
  HRESULT STDMETHODCALLTYPE OnButtonChange(LONG code, LONG parameter) override {
    Reported(owner_, logic_, [&](CVRDMButtonNotification& l) { l.OnButtonChange(code, parameter); });
    return S_OK;
  }

 private:
  CLiveVRDMOwner* owner_;
  CVRDMButtonNotification logic_;
};

class FileProgressNotificationObject final
    : public ComObject<IVRDMFileProgressNotification, IID_IVRDMFileProgressNotification> {
 public:
  explicit FileProgressNotificationObject(CLiveVRDMOwner* owner) : owner_(owner) {}
  HRESULT STDMETHODCALLTYPE OnProgressNotify(LONGLONG totalFileSize, LONGLONG totalBytesTransferred, LONG fileIndex,
                                             LONG fileCount) override {
    return Reported(owner_, logic_, [&](CVRDMFileProgressNotification& l) {
      return static_cast<HRESULT>(l.OnProgressNotify(totalFileSize, totalBytesTransferred, fileIndex, fileCount));
    });
  }

 private:
  CLiveVRDMOwner* owner_;
  CVRDMFileProgressNotification logic_;
};

template <class Made>
class Factory final : public IClassFactory {
 public:
  explicit Factory(CLiveVRDMOwner& owner) : owner_(owner) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    Made* object = new Made(&owner_);
    const HRESULT hr = object->QueryInterface(riid, out);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  CLiveVRDMOwner& owner_;
  LONG refs_ = 1;
};

// --------------------------------------------------------------- registry

struct ClassEntry {
  const CLSID* clsid;
  const wchar_t* friendlyName;
  const wchar_t* progId;
  const wchar_t* versionIndependentProgId;  // null: none
  const wchar_t* threadingModel;            // null: none
};

const ClassEntry Classes[] = {
    {&CLSID_CVRDMDeviceNotification, L"CVRDMDeviceNotification Object", L"VRDMDeviceNotif.VRDMDeviceNotif", nullptr,
     L"Both"},
    {&CLSID_CVRDMButtonNotification, L"CVRDMButtonNotification Object", L"VdiTestApp.VRDMButtonNotification.1",
     L"VdiTestApp.VRDMButtonNotification", L"Apartment"},
    {&CLSID_CVRDMFileProgressNotification, L"CVRDMFileProgressNotification Object",
     L"VdiTestApp.CVRDMFileProgressNotification", nullptr, nullptr},
};

struct InterfaceEntry {
  const IID* iid;
  const wchar_t* name;
};

const InterfaceEntry Interfaces[] = {
    {&IID_IVRDMDeviceNotification, L"IVRDMDeviceNotification"},
    {&IID_IVRDMButtonNotification, L"IVRDMButtonNotification"},
    {&IID_IVRDMFileProgressNotification, L"IVRDMFileProgressNotification"},
};

const wchar_t TypeLibraryName[] = L"VRDMNotificationLib";
// The type-library marshaler of OLE Automation.
const wchar_t TypeLibMarshaler[] = L"{00020424-0000-0000-C000-000000000046}";

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

HKEY RootKey(ClassesRoot root) { return root == ClassesRoot::PerUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

bool SetString(HKEY root, const std::wstring& subKey, const wchar_t* name, const std::wstring& value) {
  HKEY key = nullptr;
  const std::wstring path = L"Software\\Classes\\" + subKey;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const LSTATUS status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

void DeleteTree(HKEY root, const std::wstring& subKey) {
  RegDeleteTreeW(root, (L"Software\\Classes\\" + subKey).c_str());
}

// --------------------------------------------------------- type library

struct MethodShape {
  const wchar_t* names[5];  // method, then parameters
  VARTYPE params[4];
  int count;
};

bool AddInterface(ICreateTypeLib2* lib, ITypeInfo* unknown, const InterfaceEntry& entry,
                  const std::vector<MethodShape>& methods, ITypeInfo** made) {
  ICreateTypeInfo* info = nullptr;
  if (FAILED(lib->CreateTypeInfo(const_cast<LPOLESTR>(entry.name), TKIND_INTERFACE, &info))) return false;
  bool ok = SUCCEEDED(info->SetGuid(*entry.iid)) && SUCCEEDED(info->SetTypeFlags(TYPEFLAG_FOLEAUTOMATION));
  HREFTYPE base = 0;
  ok = ok && SUCCEEDED(info->AddRefTypeInfo(unknown, &base)) && SUCCEEDED(info->AddImplType(0, base));
  for (UINT i = 0; ok && i < methods.size(); ++i) {
    const MethodShape& m = methods[i];
    ELEMDESC params[4] = {};
    for (int p = 0; p < m.count; ++p) {
      params[p].tdesc.vt = m.params[p];
      params[p].paramdesc.wParamFlags = PARAMFLAG_FIN;
    }
    FUNCDESC desc{};
    desc.memid = static_cast<MEMBERID>(0x60010000 + i);
    desc.funckind = FUNC_PUREVIRTUAL;
    desc.invkind = INVOKE_FUNC;
    desc.callconv = CC_STDCALL;
    desc.cParams = static_cast<SHORT>(m.count);
    desc.lprgelemdescParam = m.count ? params : nullptr;
    desc.oVft = static_cast<SHORT>((3 + i) * sizeof(void*));
    desc.elemdescFunc.tdesc.vt = VT_HRESULT;
    ok = SUCCEEDED(info->AddFuncDesc(i, &desc)) &&
         SUCCEEDED(info->SetFuncAndParamNames(i, const_cast<LPOLESTR*>(m.names), m.count + 1));
  }
  ok = ok && SUCCEEDED(info->LayOut()) &&
       SUCCEEDED(info->QueryInterface(IID_ITypeInfo, reinterpret_cast<void**>(made)));
  info->Release();
  return ok;
}

bool AddCoclass(ICreateTypeLib2* lib, const ClassEntry& entry, const wchar_t* name, ITypeInfo* implemented) {
  ICreateTypeInfo* info = nullptr;
  if (FAILED(lib->CreateTypeInfo(const_cast<LPOLESTR>(name), TKIND_COCLASS, &info))) return false;
  HREFTYPE ref = 0;
  const bool ok = SUCCEEDED(info->SetGuid(*entry.clsid)) && SUCCEEDED(info->SetTypeFlags(TYPEFLAG_FCANCREATE)) &&
                  SUCCEEDED(info->AddRefTypeInfo(implemented, &ref)) && SUCCEEDED(info->AddImplType(0, ref)) &&
                  SUCCEEDED(info->SetImplTypeFlags(0, IMPLTYPEFLAG_FDEFAULT)) && SUCCEEDED(info->LayOut());
  info->Release();
  return ok;
}

}  // namespace

CLiveVRDMOwner::CLiveVRDMOwner() {
  std::lock_guard<std::recursive_mutex> lock(ownersLock);
  LiveOwners().insert(this);
}

CLiveVRDMOwner::~CLiveVRDMOwner() { Retire(); }

void CLiveVRDMOwner::Retire() {
  std::lock_guard<std::recursive_mutex> lock(ownersLock);
  LiveOwners().erase(this);
}

IVRDMDeviceNotification* NewDeviceNotification(CLiveVRDMOwner* owner) { return new DeviceNotificationObject(owner); }
IVRDMButtonNotification* NewButtonNotification(CLiveVRDMOwner* owner) { return new ButtonNotificationObject(owner); }
IVRDMFileProgressNotification* NewFileProgressNotification(CLiveVRDMOwner* owner) {
  return new FileProgressNotificationObject(owner);
}

// ------------------------------------------------------- device wrapper

namespace {
template <class T>
void ReleaseAndClear(T*& p) {
  if (p) p->Release();
  p = nullptr;
}
}  // namespace

std::unique_ptr<CVRDMDeviceWrapper> CVRDMDeviceWrapper::Create(IUnknown* device, CLiveVRDMOwner* owner) {
  if (!device) return nullptr;
  std::unique_ptr<CVRDMDeviceWrapper> w(new CVRDMDeviceWrapper);
  if (FAILED(device->QueryInterface(IID_IVRDMDevice, reinterpret_cast<void**>(&w->device_))) || !w->device_) {
    w->device_ = nullptr;
    return nullptr;
  }
  // The other four are optional: a device without files still notifies.
  device->QueryInterface(IID_IVRDMDeviceInfo, reinterpret_cast<void**>(&w->info_));
  device->QueryInterface(IID_IVRDMFileAccess, reinterpret_cast<void**>(&w->files_));
  device->QueryInterface(IID_IVRDMDecoder, reinterpret_cast<void**>(&w->decoder_));
  device->QueryInterface(IID_IVRDMButtons, reinterpret_cast<void**>(&w->buttons_));
  ULONG identity = 0;
  if (SUCCEEDED(w->device_->GetIdentity(&identity))) w->identity_ = identity;
  if (w->buttons_) {
    w->buttonSink_ = NewButtonNotification(owner);
    if (FAILED(w->buttons_->Advise(w->buttonSink_))) ReleaseAndClear(w->buttonSink_);
  }
  return w;
}

CVRDMDeviceWrapper::~CVRDMDeviceWrapper() {
  if (buttons_ && buttonSink_) buttons_->Unadvise();
  ReleaseAndClear(buttonSink_);
  ReleaseAndClear(buttons_);
  ReleaseAndClear(decoder_);
  ReleaseAndClear(files_);
  ReleaseAndClear(info_);
  ReleaseAndClear(device_);
}

// ------------------------------------------------------------ registry

bool BuildNotificationTypeLibrary(const std::wstring& path) {
  ITypeLib* stdole = nullptr;
  if (FAILED(LoadTypeLib(L"stdole2.tlb", &stdole))) return false;
  ITypeInfo* unknown = nullptr;
  HRESULT hr = stdole->GetTypeInfoOfGuid(IID_IUnknown, &unknown);
  stdole->Release();
  if (FAILED(hr)) return false;

  ICreateTypeLib2* lib = nullptr;
  if (FAILED(CreateTypeLib2(SYS_WIN64, path.c_str(), &lib))) {
    unknown->Release();
    return false;
  }
  bool ok = SUCCEEDED(lib->SetGuid(LIBID_VRDMNotificationLib)) &&
            SUCCEEDED(lib->SetName(const_cast<LPOLESTR>(TypeLibraryName))) && SUCCEEDED(lib->SetVersion(1, 0)) &&
            SUCCEEDED(lib->SetLcid(LOCALE_NEUTRAL));
  const std::vector<MethodShape> device = {
      {{L"OnDeviceNotify", L"event", L"device", L"extra"}, {VT_I4, VT_I8, VT_I4}, 3},
      {{L"OnDeviceNotifyString", L"event", L"text"}, {VT_I4, VT_BSTR}, 2},
      {{L"OnDeviceErrorNotify", L"event", L"error"}, {VT_I4, VT_I4}, 2},
      {{L"Initialze", L"owner"}, {VT_I8}, 1},
  };
  const std::vector<MethodShape> button = {{{L"OnButtonChange", L"code", L"parameter"}, {VT_I4, VT_I4}, 2}};
  const std::vector<MethodShape> progress = {
      {{L"OnProgressNotify", L"totalFileSize", L"totalBytesTransferred", L"fileIndex", L"fileCount"},
       {VT_I8, VT_I8, VT_I4, VT_I4},
       4}};
  const std::vector<MethodShape>* shapes[3] = {&device, &button, &progress};
  const wchar_t* coclassNames[3] = {L"CVRDMDeviceNotification", L"CVRDMButtonNotification",
                                    L"CVRDMFileProgressNotification"};
  for (int i = 0; ok && i < 3; ++i) {
    ITypeInfo* made = nullptr;
    ok = AddInterface(lib, unknown, Interfaces[i], *shapes[i], &made) &&
         AddCoclass(lib, Classes[i], coclassNames[i], made);
    if (made) made->Release();
  }
  ok = ok && SUCCEEDED(lib->SaveAllChanges());
  lib->Release();
  unknown->Release();
  return ok;
}

bool WriteDeviceNotificationClasses(ClassesRoot root, const std::wstring& serverPath,
                                    const std::wstring& typeLibraryPath) {
  const HKEY hive = RootKey(root);
  const std::wstring libid = GuidText(LIBID_VRDMNotificationLib);
  bool ok = true;
  for (const ClassEntry& c : Classes) {
    const std::wstring key = L"CLSID\\" + GuidText(*c.clsid);
    ok = ok && SetString(hive, key, nullptr, c.friendlyName);
    ok = ok && SetString(hive, key + L"\\ProgID", nullptr, c.progId);
    ok = ok && SetString(hive, key + L"\\LocalServer32", nullptr, L"\"" + serverPath + L"\"");
    if (c.threadingModel) ok = ok && SetString(hive, key + L"\\LocalServer32", L"ThreadingModel", c.threadingModel);
    ok = ok && SetString(hive, key + L"\\TypeLib", nullptr, libid);
    ok = ok && SetString(hive, c.progId, nullptr, c.friendlyName);
    ok = ok && SetString(hive, std::wstring(c.progId) + L"\\CLSID", nullptr, GuidText(*c.clsid));
    if (c.versionIndependentProgId) {
      ok = ok && SetString(hive, key + L"\\VersionIndependentProgID", nullptr, c.versionIndependentProgId);
      ok = ok && SetString(hive, c.versionIndependentProgId, nullptr, c.friendlyName);
      ok = ok && SetString(hive, std::wstring(c.versionIndependentProgId) + L"\\CLSID", nullptr, GuidText(*c.clsid));
      ok = ok && SetString(hive, std::wstring(c.versionIndependentProgId) + L"\\CurVer", nullptr, c.progId);
    }
  }
  for (const InterfaceEntry& i : Interfaces) {
    const std::wstring key = L"Interface\\" + GuidText(*i.iid);
    ok = ok && SetString(hive, key, nullptr, i.name);
    ok = ok && SetString(hive, key + L"\\ProxyStubClsid32", nullptr, TypeLibMarshaler);
    ok = ok && SetString(hive, key + L"\\TypeLib", nullptr, libid);
    ok = ok && SetString(hive, key + L"\\TypeLib", L"Version", L"1.0");
  }
  if (!typeLibraryPath.empty()) {
    const std::wstring key = L"TypeLib\\" + libid + L"\\1.0";
    ok = ok && SetString(hive, key, nullptr, TypeLibraryName);
    ok = ok && SetString(hive, key + L"\\0\\win64", nullptr, typeLibraryPath);
    ok = ok && SetString(hive, key + L"\\FLAGS", nullptr, L"0");
  }
  return ok;
}

void RemoveDeviceNotificationClasses(ClassesRoot root) {
  const HKEY hive = RootKey(root);
  for (const ClassEntry& c : Classes) {
    DeleteTree(hive, L"CLSID\\" + GuidText(*c.clsid));
    DeleteTree(hive, c.progId);
    if (c.versionIndependentProgId) DeleteTree(hive, c.versionIndependentProgId);
  }
  for (const InterfaceEntry& i : Interfaces) DeleteTree(hive, L"Interface\\" + GuidText(*i.iid));
  DeleteTree(hive, L"TypeLib\\" + GuidText(LIBID_VRDMNotificationLib));
}

// --------------------------------------------------------------- server

bool CDeviceNotificationServer::Start() {
  if (serving()) return true;
  factories_[0] = new Factory<DeviceNotificationObject>(owner_);
  factories_[1] = new Factory<ButtonNotificationObject>(owner_);
  factories_[2] = new Factory<FileProgressNotificationObject>(owner_);
  for (int i = 0; i < 3; ++i) {
    if (FAILED(CoRegisterClassObject(*Classes[i].clsid, factories_[i], CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                     &cookies_[i])) ||
        cookies_[i] == 0) {
      cookies_[i] = 0;
      Stop();
      return false;
    }
  }
  return true;
}

void CDeviceNotificationServer::Stop() {
  for (int i = 0; i < 3; ++i) {
    if (cookies_[i]) CoRevokeClassObject(cookies_[i]);
    cookies_[i] = 0;
    ReleaseAndClear(factories_[i]);
  }
}

bool IsComServerLaunch(const std::wstring& commandLine) {
  const size_t first = commandLine.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return false;
  const size_t last = commandLine.find_last_not_of(L" \t");
  const std::wstring word = commandLine.substr(first, last - first + 1);
  return word.size() == 10 && (word[0] == L'-' || word[0] == L'/') &&
         CompareStringOrdinal(word.c_str() + 1, 9, L"Embedding", 9, TRUE) == CSTR_EQUAL;
}

std::wstring NotificationTypeLibraryPath() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder))) return {};
  std::wstring path = std::wstring(folder) + L"\\Quenmark";
  CreateDirectoryW(path.c_str(), nullptr);
  path += L"\\Tolv";
  CreateDirectoryW(path.c_str(), nullptr);
  return path + L"\\VRDMNotify.tlb";
}

std::unique_ptr<CDeviceNotifications> RegisterDeviceNotifications(HWND view) {
  wchar_t program[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::wstring typeLibrary = NotificationTypeLibraryPath();
  // Without its type library a class still works in the SDK's own apartment.
  if (!typeLibrary.empty() && !BuildNotificationTypeLibrary(typeLibrary)) typeLibrary.clear();
  if (n > 0 && n < MAX_PATH) WriteDeviceNotificationClasses(ClassesRoot::PerUser, program, typeLibrary);
  auto notifications = std::make_unique<CDeviceNotifications>(view);
  if (!notifications->server().Start()) return nullptr;
  return notifications;
}

}  // namespace tolv
