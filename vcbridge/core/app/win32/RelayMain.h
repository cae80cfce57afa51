#pragma once

namespace vcb {

struct RelayOptions {
  // Under Wine no session looks remote and GetSystemMetrics cannot be
  // replaced; the test host sets this so everything else stays real.
  bool forceRemoteSession = false;
};

// The relay's composition root: Win32 ports, then the application object.
int runRelay(const RelayOptions& options);

}  // namespace vcb
