#pragma once
// The update check uses the player's registry store.
#include "tolv/app/win32/Win32ProfileStore.h"
