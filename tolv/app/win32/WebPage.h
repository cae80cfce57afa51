#pragma once
// Pages of the product's web help and downloads, opened in the default browser.
#include <windows.h>

#include <string>

namespace tolv {

void OpenWebPage(HWND owner, const std::wstring& address);
// Replaces the browser (tests); nullptr restores it.
using WebPageOpener = void (*)(const std::wstring& address);
void SetWebPageOpener(WebPageOpener opener);

// A static control (SS_NOTIFY) shown as a link: blue, underlined, with the
// hand cursor. Its click arrives as WM_COMMAND with STN_CLICKED (0), like a
// button's.
void MakeLink(HWND control);

}  // namespace tolv
