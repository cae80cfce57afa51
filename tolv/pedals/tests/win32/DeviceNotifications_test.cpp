// The device-manager SDK's notification classes as COM objects: what they
// report, their registry entries and type library, and the class objects
// served to other components.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testsupport/win32/WinTest.h"
#include "tolv/pedals/win32/DeviceNotifications.h"

namespace tolv {
namespace {

using namespace vrdm;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct Posted {
  unsigned message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
  bool operator==(const Posted&) const = default;
};

class RecordingOwner : public CLiveVRDMOwner {
 public:
  void OnDeviceNotify(long event, std::intptr_t device, long) override { notices.push_back({0, static_cast<std::uintptr_t>(event), device}); }
  void PostToWindow(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
    posted.push_back({message, wParam, lParam});
  }
  bool CancelRequested() override { return cancel; }
  void OnProgress(long long size, long long transferred, long, long) override { progress.push_back({size, transferred}); }

  std::vector<Posted> notices, posted;
  std::vector<std::pair<long long, long long>> progress;
  bool cancel = false;
};

class DeviceNotificationsCom : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override {
    RemoveDeviceNotificationClasses(ClassesRoot::PerUser);
    RemoveDeviceNotificationClasses(ClassesRoot::Machine);
    CoUninitialize();
  }
  RecordingOwner owner;
};

TEST_F(DeviceNotificationsCom, ObjectsReportToTheirOwner) {
  IVRDMDeviceNotification* device = NewDeviceNotification(&owner);
  EXPECT_EQ(device->OnDeviceNotify(1725, 0xA0000101u, 3), S_OK);
  EXPECT_EQ(device->OnDeviceNotifyString(1725, SysAllocString(L"taken over")), S_OK);
  EXPECT_EQ(device->OnDeviceErrorNotify(1725, 5), S_OK);
  RecordingOwner other;
  device->Initialze(reinterpret_cast<LONGLONG>(static_cast<CLiveVRDMOwner*>(&other)));
  device->OnDeviceNotify(1726, 0x11, 0);
  device->Release();
  EXPECT_THAT(owner.notices, ElementsAre(Posted{0, 1725, 0xA0000101}));
  EXPECT_THAT(owner.posted, ElementsAre(Posted{0x1400, 1725, 0xA0000101}));
  EXPECT_THAT(other.posted, ElementsAre(Posted{0x1400, 1726, 0x11}));

  IVRDMButtonNotification* buttons = NewButtonNotification(&owner);
  owner.posted.clear();
  for (long code : {1524L, 1529L, 1600L, 1558L}) EXPECT_EQ(buttons->OnButtonChange(code, 9), S_OK);
  buttons->Release();
  EXPECT_THAT(owner.posted, ElementsAre(Posted{0x1401, 1529, 9}, Posted{0x1401, 1558, 9}));

  IVRDMFileProgressNotification* progress = NewFileProgressNotification(&owner);
  EXPECT_EQ(progress->OnProgressNotify(1000, 250, 0, 1), S_OK);
  owner.cancel = true;
  EXPECT_EQ(progress->OnProgressNotify(1000, 500, 0, 1), static_cast<HRESULT>(0x80040312u));
  progress->Release();
  EXPECT_THAT(owner.progress, ElementsAre(std::pair<long long, long long>{1000, 250}));
}

TEST_F(DeviceNotificationsCom, OwnersAreOnlyThoseAliveInThisProcess) {
  IVRDMDeviceNotification* device = NewDeviceNotification(&owner);
  // A number that is no live owner is refused and changes nothing.
  EXPECT_EQ(device->Initialze(0x12345678), E_INVALIDARG);
  EXPECT_EQ(device->Initialze(0), E_INVALIDARG);
  device->OnDeviceNotify(1725, 1, 0);
  EXPECT_EQ(owner.posted.size(), 1u);

  IVRDMButtonNotification* buttons = nullptr;
  {
    RecordingOwner shortLived;
    buttons = NewButtonNotification(&shortLived);
    device->Initialze(reinterpret_cast<LONGLONG>(static_cast<CLiveVRDMOwner*>(&shortLived)));
    buttons->OnButtonChange(1529, 1);
    EXPECT_EQ(shortLived.posted.size(), 1u);
  }
  // The SDK may keep its sinks longer than their owner lives.
  EXPECT_EQ(buttons->OnButtonChange(1529, 1), S_OK);
  EXPECT_EQ(device->OnDeviceNotify(1726, 1, 0), S_OK);
  buttons->Release();
  device->Release();
  EXPECT_EQ(owner.posted.size(), 1u);
}

TEST_F(DeviceNotificationsCom, WithoutAnOwnerNothingIsReported) {
  IVRDMFileProgressNotification* progress = NewFileProgressNotification(nullptr);
  EXPECT_EQ(progress->OnProgressNotify(1, 1, 0, 1), S_OK);
  progress->Release();
  IVRDMDeviceNotification* device = NewDeviceNotification(nullptr);
  EXPECT_EQ(device->OnDeviceNotify(1725, 1, 0), S_OK);
  IUnknown* unknown = nullptr;
  EXPECT_EQ(device->QueryInterface(IID_IVRDMButtonNotification, reinterpret_cast<void**>(&unknown)), E_NOINTERFACE);
  EXPECT_EQ(device->QueryInterface(IID_IVRDMDeviceNotification, reinterpret_cast<void**>(&unknown)), S_OK);
  unknown->Release();
  device->Release();
}

std::wstring ReadString(const std::wstring& key, const wchar_t* name) {
  wchar_t value[512] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + key).c_str(), name, RRF_RT_REG_SZ, nullptr, value,
                   &size) != ERROR_SUCCESS)
    return L"<none>";
  return value;
}

struct EntryCase {
  const wchar_t* key;
  const wchar_t* name;
  const wchar_t* value;
};

TEST_F(DeviceNotificationsCom, ClassEntriesForTheCurrentUser) {
  ASSERT_TRUE(WriteDeviceNotificationClasses(ClassesRoot::PerUser, L"C:\\Tolv\\tolv.exe", L"C:\\Tolv\\n.tlb"));
  const std::wstring device = L"CLSID\\{24E0C7FD-CAD0-48F0-92DB-C6D5E97C8E60}";
  const std::wstring button = L"CLSID\\{650DA1CA-9983-4B53-8776-6D0068F0E0B3}";
  const std::wstring progress = L"CLSID\\{689D3681-CECA-4851-AEA3-1B5575BAA08F}";
  const std::wstring d1 = device, d2 = device + L"\\LocalServer32", d3 = device + L"\\ProgID";
  const std::wstring b1 = button, b2 = button + L"\\LocalServer32", b3 = button + L"\\ProgID",
                     b4 = button + L"\\VersionIndependentProgID";
  const std::wstring p1 = progress, p2 = progress + L"\\LocalServer32", p3 = progress + L"\\ProgID";
  const EntryCase cases[] = {
      {d1.c_str(), nullptr, L"CVRDMDeviceNotification Object"},
      {d2.c_str(), nullptr, L"\"C:\\Tolv\\tolv.exe\""},
      {d2.c_str(), L"ThreadingModel", L"Both"},
      {d3.c_str(), nullptr, L"VRDMDeviceNotif.VRDMDeviceNotif"},
      {b1.c_str(), nullptr, L"CVRDMButtonNotification Object"},
      {b2.c_str(), L"ThreadingModel", L"Apartment"},
      {b3.c_str(), nullptr, L"VdiTestApp.VRDMButtonNotification.1"},
      {b4.c_str(), nullptr, L"VdiTestApp.VRDMButtonNotification"},
      {p1.c_str(), nullptr, L"CVRDMFileProgressNotification Object"},
      {p2.c_str(), nullptr, L"\"C:\\Tolv\\tolv.exe\""},
      {p2.c_str(), L"ThreadingModel", L"<none>"},
      {p3.c_str(), nullptr, L"VdiTestApp.CVRDMFileProgressNotification"},
      {L"VRDMDeviceNotif.VRDMDeviceNotif\\CLSID", nullptr, L"{24E0C7FD-CAD0-48F0-92DB-C6D5E97C8E60}"},
      {L"VdiTestApp.VRDMButtonNotification\\CurVer", nullptr, L"VdiTestApp.VRDMButtonNotification.1"},
      {L"VdiTestApp.VRDMButtonNotification.1\\CLSID", nullptr, L"{650DA1CA-9983-4B53-8776-6D0068F0E0B3}"},
      {L"VdiTestApp.CVRDMFileProgressNotification\\CLSID", nullptr, L"{689D3681-CECA-4851-AEA3-1B5575BAA08F}"},
      {L"Interface\\{5736805D-43BE-478A-AE36-D2867252E9C5}\\ProxyStubClsid32", nullptr,
       L"{00020424-0000-0000-C000-000000000046}"},
  };
  for (const EntryCase& c : cases)
    EXPECT_EQ(ReadString(c.key, c.name), c.value) << c.key << " " << (c.name ? c.name : L"(default)");

  RemoveDeviceNotificationClasses(ClassesRoot::PerUser);
  EXPECT_EQ(ReadString(d1, nullptr), L"<none>");
  EXPECT_EQ(ReadString(L"VdiTestApp.VRDMButtonNotification\\CurVer", nullptr), L"<none>");
}

TEST_F(DeviceNotificationsCom, TypeLibraryDescribesTheThreeInterfaces) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring path = std::wstring(temp) + kit::uniqueName(L"vrdm") + L".tlb";
  ASSERT_TRUE(BuildNotificationTypeLibrary(path));
  ITypeLib* lib = nullptr;
  ASSERT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib), S_OK);
  struct Described {
    const IID* iid;
    const wchar_t* firstMethod;
    const wchar_t* lastMethod;
    WORD functions;
    WORD firstMethodParameters;
  };
  const Described described[] = {
      {&IID_IVRDMDeviceNotification, L"OnDeviceNotify", L"Initialze", 4, 3},
      {&IID_IVRDMButtonNotification, L"OnButtonChange", L"OnButtonChange", 1, 2},
      {&IID_IVRDMFileProgressNotification, L"OnProgressNotify", L"OnProgressNotify", 1, 4},
  };
  for (const Described& d : described) {
    ITypeInfo* info = nullptr;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(*d.iid, &info), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
    EXPECT_EQ(attr->cFuncs, d.functions);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
    info->ReleaseTypeAttr(attr);
    for (UINT index : {0u, static_cast<UINT>(d.functions - 1)}) {
      FUNCDESC* desc = nullptr;
      ASSERT_EQ(info->GetFuncDesc(index, &desc), S_OK);
      BSTR name = nullptr;
      UINT n = 0;
      ASSERT_EQ(info->GetNames(desc->memid, &name, 1, &n), S_OK);
      EXPECT_STREQ(name, index == 0 ? d.firstMethod : d.lastMethod);
      if (index == 0) {
        EXPECT_EQ(desc->cParams, d.firstMethodParameters);
      }
      SysFreeString(name);
      info->ReleaseFuncDesc(desc);
    }
    info->Release();
  }
  ITypeInfo* coclass = nullptr;
  EXPECT_EQ(lib->GetTypeInfoOfGuid(CLSID_CVRDMButtonNotification, &coclass), S_OK);
  if (coclass) coclass->Release();
  lib->Release();
  DeleteFileW(path.c_str());
}

TEST_F(DeviceNotificationsCom, ServedClassesAreMadeFromTheirProgIds) {
  // Wine looks classes up under the machine's keys only.
  ASSERT_TRUE(WriteDeviceNotificationClasses(ClassesRoot::Machine, L"C:\\nowhere\\tolv.exe", L""));
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(L"VdiTestApp.VRDMButtonNotification", &clsid), S_OK);
  EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_CVRDMButtonNotification));
  {
    CDeviceNotificationServer server(owner);
    ASSERT_TRUE(server.Start());
    EXPECT_TRUE(server.Start());  // serving already
    IVRDMButtonNotification* buttons = nullptr;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IVRDMButtonNotification,
                               reinterpret_cast<void**>(&buttons)),
              S_OK);
    buttons->OnButtonChange(1545, 7);
    buttons->Release();
    IVRDMFileProgressNotification* progress = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_CVRDMFileProgressNotification, nullptr, CLSCTX_LOCAL_SERVER,
                               IID_IVRDMFileProgressNotification, reinterpret_cast<void**>(&progress)),
              S_OK);
    progress->OnProgressNotify(10, 5, 0, 1);
    progress->Release();
    server.Stop();
    EXPECT_FALSE(server.serving());
  }
  EXPECT_THAT(owner.posted, ElementsAre(Posted{0x1401, 1545, 7}));
  EXPECT_THAT(owner.progress, ElementsAre(std::pair<long long, long long>{10, 5}));
}

TEST_F(DeviceNotificationsCom, StartUpCallRegistersThisProgramAndServes) {
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  std::unique_ptr<CDeviceNotifications> notifications = RegisterDeviceNotifications(window);
  ASSERT_NE(notifications, nullptr);
  EXPECT_TRUE(notifications->server().serving());
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  EXPECT_EQ(ReadString(L"CLSID\\{24E0C7FD-CAD0-48F0-92DB-C6D5E97C8E60}\\LocalServer32", nullptr),
            L"\"" + std::wstring(program) + L"\"");
  const std::wstring library = NotificationTypeLibraryPath();
  EXPECT_NE(GetFileAttributesW(library.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ReadString(L"TypeLib\\{4C8E1B27-6A3D-4E52-8B19-7F20C65A913E}\\1.0\\0\\win64", nullptr), library);

  // Objects made for other components post their notices to the view's window.
  IVRDMDeviceNotification* device = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_CVRDMDeviceNotification, nullptr, CLSCTX_LOCAL_SERVER, IID_IVRDMDeviceNotification,
                             reinterpret_cast<void**>(&device)),
            S_OK);
  device->OnDeviceNotify(1725, 0x42, 0);
  device->Release();
  MSG msg{};
  EXPECT_TRUE(PeekMessageW(&msg, window, 0x1400, 0x1400, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 1725u);
  EXPECT_EQ(msg.lParam, 0x42);
  notifications.reset();
  DestroyWindow(window);
}

TEST(ComServerLaunch, OnlyTheEmbeddingSwitchAlone) {
  const struct {
    const wchar_t* commandLine;
    bool launch;
  } cases[] = {
      {L"-Embedding", true},   {L"/Embedding", true},           {L"  -embedding ", true},
      {L"", false},            {L"C:\\rec\\memo.dss", false},   {L"-Embedding x", false},
      {L"Embedding", false},   {L"\"-Embedding\"", false},      {L"-Embeddings", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsComServerLaunch(c.commandLine), c.launch) << c.commandLine;
}

}  // namespace
}  // namespace tolv
