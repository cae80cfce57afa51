#include "tolv/playback/win32/WindowPorts.h"

#include <string>

namespace tolv {

void CMessageBoxes::show(std::wstring_view text, MessageIcon icon) {
  UINT flags = MB_OK;
  switch (icon) {
    case MessageIcon::Information: flags |= MB_ICONINFORMATION; break;
    case MessageIcon::Warning: flags |= MB_ICONWARNING; break;
    case MessageIcon::Error: flags |= MB_ICONERROR; break;
  }
  const std::wstring copy(text);
  MessageBoxW(owner_, copy.c_str(), title_, flags);
}

}  // namespace tolv
