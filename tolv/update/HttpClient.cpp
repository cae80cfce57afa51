#include "tolv/update/HttpClient.h"

#include <algorithm>
#include <cwchar>

namespace tolv {
namespace {

template <typename... Args>
std::wstring format(const wchar_t* fmt, Args... args) {
  wchar_t buffer[128];
  int n = std::swprintf(buffer, sizeof buffer / sizeof buffer[0], fmt, args...);
  return n < 0 ? std::wstring(L"Error\n") : std::wstring(buffer, static_cast<std::size_t>(n));
}

}  // namespace

namespace HttpErrorText {
std::wstring Request(unsigned long lastError) {
  return format(L"Error %d has occurred.\n", static_cast<int>(lastError));
}
std::wstring QueryDataAvailable(unsigned long lastError) {
  return format(L"Error %u in WinHttpQueryDataAvailable.\n", static_cast<unsigned>(lastError));
}
std::wstring ReadData(unsigned long lastError) {
  return format(L"Error %u in WinHttpReadData.\n", static_cast<unsigned>(lastError));
}
std::wstring OutOfMemory() { return L"Out of memory\n"; }
std::wstring BodyTooLarge() {
  return format(L"Error: answer longer than %u bytes.\n", static_cast<unsigned>(kMaxHttpBodyBytes));
}
std::wstring Status(unsigned status) { return format(L"Error %u in HTTP status.\n", status); }
}  // namespace HttpErrorText

std::wstring HttpGetText(IHttpClient& client, const std::wstring& base, const std::wstring& path) {
  std::wstring url = base;
  while (!url.empty() && url.back() == L'/' && !path.empty() && path.front() == L'/') url.pop_back();
  url += path;

  HttpResponse response = client.Get(url);
  if (response.failed()) return response.failure;
  if (response.status < 200 || response.status > 299) return HttpErrorText::Status(response.status);
  std::wstring text = std::move(response.body);
  text.erase(std::remove(text.begin(), text.end(), L'\0'), text.end());
  return text;
}

}  // namespace tolv
