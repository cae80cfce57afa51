#pragma once
// The video hint as a modal dialog, built from a template in memory.
#include <windows.h>

#include "tolv/playback/OpenMedia.h"

namespace tolv {

enum : int { VideoHelpTextId = 1001, VideoHelpHideNextTimeId = 1002 };

// Blocks until OK (or Esc); the check box acts on the setting at every click.
void ShowVideoResizeHelpDialog(HWND owner, CVideoResizeHelp& dialog);

}  // namespace tolv
