#pragma once
#include <memory>

#include "vcbridge/channels/SessionChannels.h"
#include "vcbridge/core/Mutex.h"
#include "vcbridge/core/app/InstallPort.h"
#include "vcbridge/ipc/WindowsMessageMonitor.h"

namespace vcb {

inline constexpr const wchar_t* kSingleInstanceMutex = L"Varneth_DictaDeskPro_VirtualDriver_Mutex";
inline constexpr const wchar_t* kInstallKey1 = L"SOFTWARE\\VARNETH\\vcbridge\\Install";
inline constexpr const wchar_t* kInstallKey2 = L"SOFTWARE\\Varneth\\DictaDeskPro\\Install";
inline constexpr size_t kMaxCommandLine = 255;

// The relay as a whole: builds every part in a fixed, logged order, waits
// for the DSS read loop to end, and takes everything down again.
class Application {
 public:
  // sessionPollMs: the session observer's poll (3 s in the product).
  explicit Application(IInstallPort& install, uint32_t sessionPollMs = 3000);
  ~Application();

  // Always false: the relay has no message loop of its own.
  bool InitInstance();
  int ExitInstance();
  void StartDevComHost();

 private:
  bool startUp();
  void giveWayToDevComHost();

  IInstallPort& install_;
  uint32_t sessionPollMs_;
  std::unique_ptr<WindowsMessageMonitor> window_;
  Mutex singleInstance_;
  SessionChannels sessionChannels_;
};

}  // namespace vcb
