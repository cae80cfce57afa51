#pragma once
#include <cstdint>
#include <functional>
#include <memory>

namespace vcb {

// Entry points of the Citrix WFAPI as the Citrix transports call them. They
// are resolved by name at run time; on x64 there is one calling convention,
// so the same table serves WFAPI.dll and in-process fakes.
#if defined(_WIN32)
#define VCB_WFAPI_CALL __stdcall
#else
#define VCB_WFAPI_CALL
#endif

namespace wfapi {
// Results of type int32_t are BOOLs: non-zero on success, system error set on failure.
using OpenFn = void*(VCB_WFAPI_CALL*)(void* server, uint32_t sessionId, char* virtualName);
using CloseFn = int32_t(VCB_WFAPI_CALL*)(void* channel);
using ReadFn = int32_t(VCB_WFAPI_CALL*)(void* channel, uint32_t timeoutMs, char* buffer,
                                        uint32_t bufferSize, uint32_t* bytesRead);
using WriteFn = int32_t(VCB_WFAPI_CALL*)(void* channel, char* buffer, uint32_t length,
                                         uint32_t* bytesWritten);
using QueryFn = int32_t(VCB_WFAPI_CALL*)(void* channel, int32_t virtualClass, void** buffer,
                                         uint32_t* bytesReturned);
using FreeMemoryFn = void(VCB_WFAPI_CALL*)(void* memory);
using QuerySessionInformationFn = int32_t(VCB_WFAPI_CALL*)(void* server, uint32_t sessionId,
                                                           int32_t infoClass, void** buffer,
                                                           uint32_t* bytesReturned);
using PurgeFn = int32_t(VCB_WFAPI_CALL*)(void* channel);

inline constexpr uint32_t kCurrentSession = 0xFFFFFFFFu;  // -1
inline constexpr int32_t kVirtualClientData = 0;
inline constexpr int32_t kConnectState = 8;
}  // namespace wfapi

// WFAPI.dll once loaded; destroying the object frees the library.
class IWfApiLibrary {
 public:
  virtual ~IWfApiLibrary() = default;
  // The entry point of that name, or nullptr when the library lacks it.
  virtual void* entryPoint(const char* name) = 0;
};

// Loads the library; nullptr, with the system error set, when it cannot be loaded.
using WfApiLoader = std::function<std::unique_ptr<IWfApiLibrary>()>;

}  // namespace vcb
