#pragma once
// The HTTP client on WinHTTP: a fresh session per request, the player's user
// agent, the system's proxy settings, and no caching on the way.
#include <windows.h>
#include <winhttp.h>

#include "tolv/update/HttpClient.h"

namespace tolv {

// The WinHTTP calls the client makes, so a test can make one of them fail.
struct WinHttpApi {
  decltype(&::WinHttpQueryDataAvailable) queryDataAvailable = ::WinHttpQueryDataAvailable;
  decltype(&::WinHttpReadData) readData = ::WinHttpReadData;
};

class CWinHttpClient : public IHttpClient {
 public:
  explicit CWinHttpClient(WinHttpApi api = {}, std::size_t maxBodyBytes = kMaxHttpBodyBytes)
      : api_(api), maxBodyBytes_(maxBodyBytes) {}

  HttpResponse Get(const std::wstring& url) override;

 private:
  WinHttpApi api_;
  std::size_t maxBodyBytes_;
};

}  // namespace tolv
