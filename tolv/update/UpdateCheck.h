#pragma once
// The start-up question to the product's web service whether this version
// is current, and the offer of a newer installer when it is not.
#include <string>

#include "tolv/update/HttpClient.h"
#include "tolv/update/ProfileStore.h"

namespace tolv {

// The program's own version, as the service and the About box know it.
inline constexpr wchar_t kVersionText[] = L"4.3";

// Where the update service lives (port 80).
inline constexpr wchar_t kUpdateServiceAddress[] = L"http://www.quenmark.com";

// Answers of the service that mean "nothing to offer".
inline constexpr wchar_t kUpToDateMarker[] = L"Current Version";
inline constexpr wchar_t kErrorMarker[] = L"Error";

// The "Download New Version" window. Blocks until the user closes it.
class IUpdateOffer {
 public:
  virtual ~IUpdateOffer() = default;
  virtual void ShowDownloadWindow(const std::wstring& answer) = 0;
};

enum class UpdateOutcome {
  UpToDate,    // the answer carries the up-to-date marker
  Failed,      // the answer is an error text; nothing shown
  Suppressed,  // a newer version exists, but the user asked not to be told
  Offered,     // the download window was shown
};

// "\n" typed as two characters in the service's answer is a line break.
std::wstring ExpandLineBreaks(const std::wstring& answer);

class CUpdateCheck {
 public:
  // serviceAddress is scheme, host and optional port, without a path.
  CUpdateCheck(IHttpClient& http, IProfileStore& profile, IUpdateOffer& offer,
               std::wstring serviceAddress = kUpdateServiceAddress)
      : http_(http), profile_(profile), offer_(offer), serviceAddress_(std::move(serviceAddress)) {}

  // Asks once and blocks until the answer is in and any window is closed.
  UpdateOutcome CheckForUpdate();

  static std::wstring RequestPath();

 private:
  IHttpClient& http_;
  IProfileStore& profile_;
  IUpdateOffer& offer_;
  std::wstring serviceAddress_;
};

}  // namespace tolv
