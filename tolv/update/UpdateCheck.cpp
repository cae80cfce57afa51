#include "tolv/update/UpdateCheck.h"

namespace tolv {

std::wstring ExpandLineBreaks(const std::wstring& answer) {
  std::wstring out;
  out.reserve(answer.size());
  for (std::size_t i = 0; i < answer.size(); ++i) {
    if (answer[i] == L'\\' && i + 1 < answer.size() && answer[i + 1] == L'n') {
      out += L"\r\n";
      ++i;
    } else {
      out += answer[i];
    }
  }
  return out;
}

std::wstring CUpdateCheck::RequestPath() { return std::wstring(L"/tolv.php?cmd=checkver&ver=") + kVersionText; }

UpdateOutcome CUpdateCheck::CheckForUpdate() {
  const std::wstring answer = HttpGetText(http_, serviceAddress_, RequestPath());
  if (answer.find(kUpToDateMarker) != std::wstring::npos) return UpdateOutcome::UpToDate;
  if (answer.find(kErrorMarker) != std::wstring::npos) return UpdateOutcome::Failed;
  if (profile_.GetProfileInt(L"Settings", L"UpgradeShow", 0) == 1) return UpdateOutcome::Suppressed;
  offer_.ShowDownloadWindow(ExpandLineBreaks(answer));
  return UpdateOutcome::Offered;
}

}  // namespace tolv
