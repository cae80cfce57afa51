#include "tolv/playback/OpenMedia.h"

#include "tolv/config/Settings.h"

namespace tolv {

bool CVideoResizeHelp::hideNextTimeChecked() const { return showVideoResizeHelp == 0; }

void CVideoResizeHelp::OnHideNextTimeClicked(bool checked) { showVideoResizeHelp = checked ? 0 : 1; }

std::wstring LowerAscii(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& c : lower)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return lower;
}

std::wstring MediumExtension(std::wstring_view path) {
  const size_t slash = path.find_last_of(L"\\/");
  const size_t nameStart = slash == std::wstring_view::npos ? 0 : slash + 1;
  const size_t dot = path.rfind(L'.');
  if (dot == std::wstring_view::npos || dot < nameStart) return {};
  return std::wstring(path.substr(dot));
}

std::wstring MediumNameOf(const std::wstring& path) {
  const size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool IsRemoteAddress(std::wstring_view path) {
  return path.find(L"http:") != std::wstring_view::npos || path.find(L"www.") != std::wstring_view::npos;
}

}  // namespace tolv
