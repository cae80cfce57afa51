#pragma once
// The update check reads its flag from the player's per-user store.
#include "tolv/app/ProfileStore.h"
