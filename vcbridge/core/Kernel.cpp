#include "vcbridge/core/Kernel.h"

#include <cstdlib>
#include <cstdio>

namespace vcb {

namespace {
IKernel* g_kernel = nullptr;
}

IKernel& kernel() {
  if (!g_kernel) {
    std::fputs("vcbridge: kernel port used before it was set\n", stderr);
    std::abort();
  }
  return *g_kernel;
}

void setKernel(IKernel* k) { g_kernel = k; }

}  // namespace vcb
