#include "vcbridge/channels/tests/fakes/FakeSessionPlatform.h"

#include "vcbridge/core/Exception.h"

namespace vcb::testing {

FakeSessionPlatform::FakeSessionPlatform() : dss(new FakeDssTransport) {}

void FakeSessionPlatform::chooseSession(SessionType type) {
  remote = type != SessionLocal;
  stationName = type == SessionCitrix ? L"ICA-CGP#3" : type == SessionLocal ? L"Console" : L"RDP-Tcp#0";
}

std::vector<SessionType> FakeSessionPlatform::dssRequests() {
  std::lock_guard<std::mutex> g(lock_);
  return dssRequests_;
}

std::vector<SessionType> FakeSessionPlatform::cfaRequests() {
  std::lock_guard<std::mutex> g(lock_);
  return cfaRequests_;
}

bool FakeSessionPlatform::isRemoteSession() { return remote; }

bool FakeSessionPlatform::windowStationName(std::wstring& name) {
  if (stationQueryFails) return false;
  name = stationName;
  return true;
}

boost::shared_ptr<IVirtualChannel> FakeSessionPlatform::makeDssTransport(SessionType type) {
  {
    std::lock_guard<std::mutex> g(lock_);
    dssRequests_.push_back(type);
  }
  if (dssThrows) throw Exception(*dssThrows);
  if (dssOverride) return dssOverride;
  return dss;
}

boost::shared_ptr<IVirtualChannel_CFA> FakeSessionPlatform::makeCfaTransport(SessionType type) {
  {
    std::lock_guard<std::mutex> g(lock_);
    cfaRequests_.push_back(type);
  }
  if (cfaThrows) throw Exception(*cfaThrows);
  return cfa;
}

}  // namespace vcb::testing
