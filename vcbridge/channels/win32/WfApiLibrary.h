#pragma once
#include <memory>

#include "vcbridge/channels/WfApi.h"

namespace vcb {

// Loads "WFAPI.dll" with the normal search order (the relay's folder first);
// nullptr with the system error set when it cannot be loaded.
std::unique_ptr<IWfApiLibrary> loadWfApiLibrary();

}  // namespace vcb
