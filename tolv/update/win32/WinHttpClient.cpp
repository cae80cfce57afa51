#include "tolv/update/win32/WinHttpClient.h"

#include <memory>
#include <new>
#include <string>
#include <vector>

namespace tolv {
namespace {

struct InternetCloser {
  void operator()(HINTERNET h) const { WinHttpCloseHandle(h); }
};
using InternetHandle = std::unique_ptr<void, InternetCloser>;

HttpResponse failure(std::wstring text) { return HttpResponse{std::move(text), 0, {}}; }

HttpResponse requestFailure() { return failure(HttpErrorText::Request(GetLastError())); }

std::wstring decode(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int chars = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (chars <= 0) return {};
  std::wstring text(static_cast<std::size_t>(chars), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), chars);
  return text;
}

}  // namespace

HttpResponse CWinHttpClient::Get(const std::wstring& url) {
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return requestFailure();
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
  path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";
  const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;

  InternetHandle session(WinHttpOpen(kHttpUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                     WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) return requestFailure();
  InternetHandle connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
  if (!connection) return requestFailure();
  InternetHandle request(WinHttpOpenRequest(connection.get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                            WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_REFRESH | secure));
  if (!request) return requestFailure();
  if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
    return requestFailure();
  if (!WinHttpReceiveResponse(request.get(), nullptr)) return requestFailure();

  DWORD status = 0;
  DWORD statusSize = sizeof status;
  if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize, WINHTTP_NO_HEADER_INDEX))
    return requestFailure();

  std::string body;
  for (;;) {
    DWORD available = 0;
    if (!api_.queryDataAvailable(request.get(), &available))
      return failure(HttpErrorText::QueryDataAvailable(GetLastError()));
    if (available == 0) break;
    // Checked before allocating: the server's word on the size buys no memory.
    if (available > maxBodyBytes_ - body.size()) return failure(HttpErrorText::BodyTooLarge());
    std::vector<char> buffer;
    try {
      buffer.resize(available);
    } catch (const std::bad_alloc&) {
      return failure(HttpErrorText::OutOfMemory());
    }
    DWORD read = 0;
    if (!api_.readData(request.get(), buffer.data(), available, &read))
      return failure(HttpErrorText::ReadData(GetLastError()));
    if (read == 0) break;
    body.append(buffer.data(), read);
  }
  return HttpResponse{{}, status, decode(body)};
}

}  // namespace tolv
