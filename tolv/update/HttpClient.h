#pragma once
// Port to an HTTP client: one blocking GET.
#include <cstddef>
#include <string>

namespace tolv {

struct HttpResponse {
  // Empty when the request got an answer; otherwise the text that says what
  // failed (one of the texts of HttpErrorText below), and status/body are unset.
  std::wstring failure;
  unsigned status = 0;
  // The body as text, decoded with the system code page.
  std::wstring body;

  bool failed() const { return !failure.empty(); }
};

class IHttpClient {
 public:
  virtual ~IHttpClient() = default;
  // GET of an absolute http:// or https:// address. Blocks until the whole
  // answer has arrived or the request failed; never throws.
  virtual HttpResponse Get(const std::wstring& url) = 0;
};

// The user agent every request of the player sends.
inline constexpr wchar_t kHttpUserAgent[] = L"TOLV/2.0";

// Largest body a client accepts. An update answer is a few sentences; a
// body beyond this is treated as a failed request instead of filling memory.
inline constexpr std::size_t kMaxHttpBodyBytes = 1024 * 1024;

// Failure texts. Each contains "Error" except OutOfMemory, which the update
// check therefore shows like an answer.
namespace HttpErrorText {
// Opening, connecting, sending or waiting for the response failed.
std::wstring Request(unsigned long lastError);
std::wstring QueryDataAvailable(unsigned long lastError);
std::wstring ReadData(unsigned long lastError);
std::wstring OutOfMemory();
// The body grew beyond kMaxHttpBodyBytes.
std::wstring BodyTooLarge();
// The server answered with a status other than 2xx.
std::wstring Status(unsigned status);
}  // namespace HttpErrorText

// One blocking GET of base + path, as text: the body of a 2xx answer, or the
// failure text. NUL characters of a binary body are dropped so the whole text
// stays searchable and displayable.
std::wstring HttpGetText(IHttpClient& client, const std::wstring& base, const std::wstring& path);

}  // namespace tolv
