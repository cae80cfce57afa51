#include "vcbridge/ipc/WindowSystem.h"

#include <cstdio>
#include <cstdlib>

namespace vcb {

namespace {
IWindowSystem* g_system = nullptr;
}  // namespace

IWindowSystem& windowSystem() {
  if (!g_system) {
    std::fputs("vcbridge: window system used before it was set\n", stderr);
    std::abort();
  }
  return *g_system;
}

void setWindowSystem(IWindowSystem* system) { g_system = system; }

}  // namespace vcb
