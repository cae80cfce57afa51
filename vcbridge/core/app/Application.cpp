#include "vcbridge/core/app/Application.h"

#include <boost/shared_ptr.hpp>

#include "vcbridge/channels/CFAEventObserver.h"
#include "vcbridge/channels/RequestHandler.h"
#include "vcbridge/channels/SessionType.h"
#include "vcbridge/channels/VirtualChannel.h"
#include "vcbridge/channels/VirtualChannelObserver.h"
#include "vcbridge/channels/VirtualChannel_CFA.h"
#include "vcbridge/core/Kernel.h"
#include "vcbridge/core/Log.h"
#include "vcbridge/ipc/DSSSessionEventManager.h"
#include "vcbridge/ipc/SessionObserver.h"
#include "vcbridge/ipc/SharedMemory.h"

namespace vcb {

namespace {
constexpr const char* kClass = "VCB\tApplication";
constexpr const char* kMethod = "InitInstance";
}  // namespace

#define APP_LOG(level, text) log::level("[0x%08X]\t%s\t%s\t" text, log::Addr(this), kClass, kMethod)

Application::Application(IInstallPort& install, uint32_t sessionPollMs)
    : install_(install), sessionPollMs_(sessionPollMs) {}

Application::~Application() = default;

bool Application::InitInstance() {
  // Another relay already serves this session: leave without a trace.
  if (!singleInstance_.create(true, kSingleInstanceMutex)) {
    singleInstance_.releaseAndClose();
    return false;
  }
  try {
    startUp();
  } catch (...) {
    APP_LOG(Fatal, "vcbridge.exe process.");
  }
  return false;
}

void Application::giveWayToDevComHost() {
  singleInstance_.releaseAndClose();
  StartDevComHost();
}

bool Application::startUp() {
  SessionType type = querySessionType();
  log::Initialise(type == SessionCitrix ? log::CitrixDriver : log::TerminalServiceDriver);
  if (type == SessionCitrix)
    APP_LOG(Info, "Session:Citrix");
  else if (type == SessionRemoteDesktop)
    APP_LOG(Info, "Session:TerminalService");
  else
    APP_LOG(Info, "Session:Local");

  APP_LOG(Info, "VirtualChannel Initialize.");
  auto channel = VirtualChannel::create();
  if (!channel->Open()) {
    APP_LOG(Error, "VirtualChannel Open.");
    giveWayToDevComHost();
    return false;
  }

  APP_LOG(Info, "VirtualChannel_CFA Initialize.");
  auto cfa = VirtualChannel_CFA::create();
  if (!cfa->Open()) {
    APP_LOG(Error, "VirtualChannel_CFA Open.");
    giveWayToDevComHost();
    return false;
  }

  APP_LOG(Info, "CFAEventObserver start.");
  CFAEventObserver::create()->start();

  APP_LOG(Info, "EventManager Initialize.");
  DSSSessionEventManager::create();

  APP_LOG(Info, "SharedMemoryManager Initialize.");
  SharedMemoryManager::create()->initialise();

  APP_LOG(Info, "VirtualChannelObserver start.");
  auto readLoop = VirtualChannelObserver::create();
  readLoop->start();

  APP_LOG(Info, "SessionObserver start.");
  SessionObserver::create(sessionChannels_, sessionPollMs_)->start();

  APP_LOG(Info, "MessageWindowCreate.");
  window_ = std::make_unique<WindowsMessageMonitor>();
  window_->start();
  boost::shared_ptr<RequestHandler> handler(new RequestHandler());
  window_->registerHandler(handler);

  APP_LOG(Info, "vcbridge.exe process start.");
  readLoop->join();

  handler.reset();
  APP_LOG(Info, "vcbridge.exe process end.");
  return true;
}

int Application::ExitInstance() {
  auto quietly = [](auto&& step) {
    try {
      step();
    } catch (...) {
    }
  };
  if (window_ && window_->threadHandle()) quietly([&] { window_->stop(); });
  if (CFAEventObserver::exists()) {
    quietly([] {
      auto o = CFAEventObserver::get();
      o->stop();
      o->join();
    });
    CFAEventObserver::destroy();
  }
  singleInstance_.releaseAndClose();
  if (SessionObserver::exists()) {
    quietly([] {
      auto o = SessionObserver::get();
      o->setRunning(false);
      o->join();
    });
    SessionObserver::destroy();
  }
  if (VirtualChannelObserver::exists()) {
    quietly([] { VirtualChannelObserver::get()->stop(); });
    VirtualChannelObserver::destroy();  // its destructor waits for the read loop
  }
  if (VirtualChannel_CFA::exists()) {
    quietly([] {
      if (auto t = VirtualChannel_CFA::get()->transport()) t->Close();
    });
    VirtualChannel_CFA::destroy();
  }
  if (VirtualChannel::exists()) {
    quietly([] {
      if (auto t = VirtualChannel::get()->transport()) t->Close();
    });
    VirtualChannel::destroy();
  }
  if (DSSSessionEventManager::exists()) DSSSessionEventManager::destroy();
  if (SharedMemoryManager::exists()) {
    quietly([] { Singleton<SharedMemoryManager>::get()->clear(); });
    SharedMemoryManager::destroy();
  }
  window_.reset();
  log::Shutdown();
  return 0;
}

void Application::StartDevComHost() {
  std::wstring folder;
  auto found = install_.readInstallPath(kInstallKey1, folder);
  if (found == IInstallPort::PathResult::KeyMissing) found = install_.readInstallPath(kInstallKey2, folder);
  if (found == IInstallPort::PathResult::TooLong) {
    log::Error("[0x%08X]\t%s\t%s\tDevComHost install path too long", log::Addr(this), kClass, "StartDevComHost");
    return;
  }
  if (found != IInstallPort::PathResult::Found) return;
  std::wstring commandLine = L"\"" + folder + L"\\DevComHost.exe\"";
  // The command line keeps the same 255-character limit as the folder.
  if (commandLine.size() > kMaxCommandLine) {
    log::Error("[0x%08X]\t%s\t%s\tDevComHost command line too long", log::Addr(this), kClass, "StartDevComHost");
    return;
  }
  if (install_.startProcess(commandLine)) kernel().sleep(100);
}

}  // namespace vcb
