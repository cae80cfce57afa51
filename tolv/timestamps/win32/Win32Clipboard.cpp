#include "tolv/timestamps/win32/Win32Clipboard.h"

#include <cstring>

namespace tolv {

bool Win32Clipboard::Open() { return OpenClipboard(owner_) != FALSE; }

void Win32Clipboard::Empty() { EmptyClipboard(); }

bool Win32Clipboard::SetData(unsigned format, const std::vector<uint8_t>& block) {
  // Clipboard data must be movable memory; the clipboard owns it once handed over.
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, block.empty() ? 1 : block.size());
  if (!memory) return false;
  void* bytes = GlobalLock(memory);
  if (!bytes) {
    GlobalFree(memory);
    return false;
  }
  if (!block.empty()) std::memcpy(bytes, block.data(), block.size());
  GlobalUnlock(memory);
  if (!SetClipboardData(format, memory)) {
    GlobalFree(memory);
    return false;
  }
  return true;
}

void Win32Clipboard::Close() { CloseClipboard(); }

}  // namespace tolv
