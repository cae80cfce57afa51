#pragma once
// The nested message loop of an open, for the window that implements
// IOpenMediaWindow::PumpPendingMessages.
#include <windows.h>

namespace tolv {

// Dispatches every message waiting in the calling thread's queue; with none
// waiting, waits up to waitMs for one. A quit request taken from the queue is
// posted again at once, with its exit code, and ends this round.
void PumpPendingThreadMessages(DWORD waitMs = 10);

}  // namespace tolv
