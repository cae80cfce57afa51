#pragma once
#include <boost/shared_ptr.hpp>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "vcbridge/channels/SessionType.h"
#include "vcbridge/channels/tests/fakes/FakeDssTransport.h"

namespace vcb::testing {

// Session port for native tests: a chosen session kind and window-station
// name, and transports handed out from fields that a test may replace.
class FakeSessionPlatform : public ISessionPlatform {
 public:
  // Makes a Remote Desktop session ("RDP-Tcp#0") with a fresh FakeDssTransport.
  FakeSessionPlatform();

  // Shorthands: local (not remote), Citrix ("ICA-CGP#3"), Remote Desktop ("RDP-Tcp#0").
  void chooseSession(SessionType type);

  bool remote = true;                          // isRemoteSession()
  std::wstring stationName = L"RDP-Tcp#0";     // windowStationName()
  bool stationQueryFails = false;              // windowStationName() returns false
  boost::shared_ptr<FakeDssTransport> dss;     // what makeDssTransport returns (null = cannot make)
  boost::shared_ptr<IVirtualChannel> dssOverride;  // any other DSS transport, returned instead of dss
  boost::shared_ptr<IVirtualChannel_CFA> cfa;  // what makeCfaTransport returns (null by default)
  std::optional<int32_t> dssThrows;            // makeDssTransport throws Exception(code)
  std::optional<int32_t> cfaThrows;            // makeCfaTransport throws Exception(code)

  // Session types asked for, in order.
  std::vector<SessionType> dssRequests();
  std::vector<SessionType> cfaRequests();

  bool isRemoteSession() override;
  bool windowStationName(std::wstring& name) override;
  boost::shared_ptr<IVirtualChannel> makeDssTransport(SessionType type) override;
  boost::shared_ptr<IVirtualChannel_CFA> makeCfaTransport(SessionType type) override;

 private:
  std::mutex lock_;
  std::vector<SessionType> dssRequests_, cfaRequests_;
};

// Installs a FakeSessionPlatform for the life of a test.
class ScopedFakeSessionPlatform {
 public:
  ScopedFakeSessionPlatform() { setSessionPlatform(&p); }
  ~ScopedFakeSessionPlatform() { setSessionPlatform(nullptr); }
  FakeSessionPlatform* operator->() { return &p; }
  FakeSessionPlatform& operator*() { return p; }
  FakeSessionPlatform p;
};

}  // namespace vcb::testing
