#include "tolv/update/tests/fakes/FakeUpdatePorts.h"

namespace tolv::testing {

void FakeHttpClient::answer(unsigned status, std::wstring body) { next_ = HttpResponse{{}, status, std::move(body)}; }

void FakeHttpClient::fail(std::wstring failure) { next_ = HttpResponse{std::move(failure), 0, {}}; }

HttpResponse FakeHttpClient::Get(const std::wstring& url) {
  requests.push_back(url);
  return next_;
}

int FakeProfileStore::GetProfileInt(const std::wstring& section, const std::wstring& name, int def) {
  auto it = values.find({section, name});
  return it == values.end() ? def : it->second;
}

void FakeProfileStore::WriteProfileInt(const std::wstring& section, const std::wstring& name, int value) {
  values[{section, name}] = value;
}

}  // namespace tolv::testing
