#pragma once
// Fakes of the update check's ports: a scripted HTTP client, an in-memory
// profile store and an offer window that records what it was shown.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tolv/update/UpdateCheck.h"

namespace tolv::testing {

class FakeHttpClient : public IHttpClient {
 public:
  // Every Get answers with this response until told otherwise.
  void answer(unsigned status, std::wstring body);
  void fail(std::wstring failure);

  HttpResponse Get(const std::wstring& url) override;

  std::vector<std::wstring> requests;

 private:
  HttpResponse next_{L"Error 12029 has occurred.\n", 0, {}};
};

class FakeProfileStore : public IProfileStore {
 public:
  int GetProfileInt(const std::wstring& section, const std::wstring& name, int def) override;
  void WriteProfileInt(const std::wstring& section, const std::wstring& name, int value) override;

  std::map<std::pair<std::wstring, std::wstring>, int> values;
};

class FakeUpdateOffer : public IUpdateOffer {
 public:
  void ShowDownloadWindow(const std::wstring& answer) override { shown.push_back(answer); }
  std::vector<std::wstring> shown;
};

}  // namespace tolv::testing
