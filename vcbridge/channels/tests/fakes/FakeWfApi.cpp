#include "vcbridge/channels/tests/fakes/FakeWfApi.h"

#include <cstring>
#include <map>

#include "vcbridge/core/Kernel.h"

namespace vcb::testing {

namespace {

FakeWfApi* g_current = nullptr;
int g_channelTag = 0;

}  // namespace

struct FakeWfApiAccess {
  static void* allocate(FakeWfApi& f, uint32_t size) {
    void* p = new uint8_t[size]();
    f.live_.insert(p);
    ++f.allocations;
    return p;
  }
  static void release(FakeWfApi& f, void* p) {
    if (f.live_.erase(p)) {
      delete[] static_cast<uint8_t*>(p);
      --f.allocations;
    }
  }
};

namespace {

FakeWfApi& fake(const char* call) {
  g_current->calls.push_back(call);
  return *g_current;
}

bool checkHandle(FakeWfApi& f, void* channel) {
  if (channel == FakeWfApi::channelHandle()) return true;
  ++f.wrongHandles;
  kernel().setLastError(6);  // invalid handle
  return false;
}

int32_t failWith(uint32_t error) {
  kernel().setLastError(error);
  return 0;
}

void* VCB_WFAPI_CALL fakeOpen(void* server, uint32_t session, char* name) {
  FakeWfApi& f = fake("WFVirtualChannelOpen");
  f.openedName = name ? name : "";
  f.openedSession = session;
  if (server != nullptr || f.openFails) {
    kernel().setLastError(f.openError);
    return nullptr;
  }
  return FakeWfApi::channelHandle();
}

int32_t VCB_WFAPI_CALL fakeClose(void* channel) {
  FakeWfApi& f = fake("WFVirtualChannelClose");
  return checkHandle(f, channel) ? 1 : 0;
}

int32_t VCB_WFAPI_CALL fakeRead(void* channel, uint32_t timeout, char* buffer, uint32_t size,
                                uint32_t* bytesRead) {
  FakeWfApi& f = fake("WFVirtualChannelRead");
  ++f.reads;
  f.lastTimeout = timeout;
  if (!checkHandle(f, channel)) return 0;
  if (f.readFails) return failWith(f.readError);
  if (f.incoming.empty()) {
    // As the library does: an idle channel answers after the time-out.
    if (timeout) kernel().sleep(timeout);
    return failWith(258);
  }
  std::vector<uint8_t> packet = std::move(f.incoming.front());
  f.incoming.pop_front();
  uint32_t n = std::min<uint32_t>(size, uint32_t(packet.size()));
  if (n) std::memcpy(buffer, packet.data(), n);
  *bytesRead = uint32_t(packet.size());  // the whole packet, even if it did not fit
  return 1;
}

int32_t VCB_WFAPI_CALL fakeWrite(void* channel, char* buffer, uint32_t length,
                                 uint32_t* written) {
  FakeWfApi& f = fake("WFVirtualChannelWrite");
  if (!checkHandle(f, channel)) return 0;
  if (f.writeMode == FakeWfApi::WriteMode::Fail) return failWith(f.writeError);
  f.written.emplace_back(buffer, buffer + length);
  *written = f.writeMode == FakeWfApi::WriteMode::Short && length ? length - 1 : length;
  return 1;
}

int32_t VCB_WFAPI_CALL fakeQuery(void* channel, int32_t cls, void** data, uint32_t* length) {
  FakeWfApi& f = fake("WFVirtualChannelQuery");
  if (!checkHandle(f, channel)) return 0;
  if (cls != 0 || f.queryFails) return failWith(1);
  *data = FakeWfApiAccess::allocate(f, 8);
  *length = 8;
  return 1;
}

void VCB_WFAPI_CALL fakeFreeMemory(void* memory) {
  FakeWfApi& f = fake("WFFreeMemory");
  FakeWfApiAccess::release(f, memory);
}

int32_t VCB_WFAPI_CALL fakeQuerySession(void* server, uint32_t session, int32_t cls, void** data,
                                        uint32_t* length) {
  FakeWfApi& f = fake("WFQuerySessionInformationW");
  if (server != nullptr || session != 0xFFFFFFFFu || cls != 8 || f.sessionQueryFails)
    return failWith(1);
  void* p = FakeWfApiAccess::allocate(f, 4);
  uint32_t s = uint32_t(f.connectState);
  std::memcpy(p, &s, 4);
  *data = p;
  *length = f.sessionQueryBytes;
  return 1;
}

int32_t VCB_WFAPI_CALL fakePurgeInput(void* channel) {
  FakeWfApi& f = fake("WFVirtualChannelPurgeInput");
  return checkHandle(f, channel) ? 1 : 0;
}

int32_t VCB_WFAPI_CALL fakePurgeOutput(void* channel) {
  FakeWfApi& f = fake("WFVirtualChannelPurgeOutput");
  return checkHandle(f, channel) ? 1 : 0;
}

class FakeLibrary : public IWfApiLibrary {
 public:
  ~FakeLibrary() override {
    if (g_current) g_current->libraryLoaded = false;
  }
  void* entryPoint(const char* name) override {
    static const std::map<std::string, void*> table = {
        {"WFVirtualChannelOpen", reinterpret_cast<void*>(&fakeOpen)},
        {"WFVirtualChannelClose", reinterpret_cast<void*>(&fakeClose)},
        {"WFVirtualChannelRead", reinterpret_cast<void*>(&fakeRead)},
        {"WFVirtualChannelWrite", reinterpret_cast<void*>(&fakeWrite)},
        {"WFVirtualChannelQuery", reinterpret_cast<void*>(&fakeQuery)},
        {"WFFreeMemory", reinterpret_cast<void*>(&fakeFreeMemory)},
        {"WFQuerySessionInformationW", reinterpret_cast<void*>(&fakeQuerySession)},
        {"WFVirtualChannelPurgeInput", reinterpret_cast<void*>(&fakePurgeInput)},
        {"WFVirtualChannelPurgeOutput", reinterpret_cast<void*>(&fakePurgeOutput)},
    };
    if (!g_current || g_current->missing.count(name)) return nullptr;
    auto it = table.find(name);
    return it == table.end() ? nullptr : it->second;
  }
};

}  // namespace

FakeWfApi::FakeWfApi() { g_current = this; }

FakeWfApi::~FakeWfApi() {
  for (void* p : live_) delete[] static_cast<uint8_t*>(p);
  if (g_current == this) g_current = nullptr;
}

WfApiLoader FakeWfApi::loader() {
  return [this]() -> std::unique_ptr<IWfApiLibrary> {
    if (loadFails) {
      kernel().setLastError(loadError);
      return nullptr;
    }
    libraryLoaded = true;
    return std::make_unique<FakeLibrary>();
  };
}

void* FakeWfApi::channelHandle() { return &g_channelTag; }

FakeWfApi* FakeWfApi::current() { return g_current; }

}  // namespace vcb::testing
