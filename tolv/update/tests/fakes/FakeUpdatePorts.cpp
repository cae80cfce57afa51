#include "tolv/update/tests/fakes/FakeUpdatePorts.h"

namespace tolv::testing {

void FakeHttpClient::answer(unsigned status, std::wstring body) { next_ = HttpResponse{{}, status, std::move(body)}; }

void FakeHttpClient::fail(std::wstring failure) { next_ = HttpResponse{std::move(failure), 0, {}}; }

HttpResponse FakeHttpClient::Get(const std::wstring& url) {
  requests.push_back(url);
  return next_;
}

}  // namespace tolv::testing
