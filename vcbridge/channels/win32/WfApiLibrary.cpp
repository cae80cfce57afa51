#include "vcbridge/channels/win32/WfApiLibrary.h"

#include <windows.h>

namespace vcb {

namespace {

class WfApiLibrary : public IWfApiLibrary {
 public:
  explicit WfApiLibrary(HMODULE module) : module_(module) {}
  ~WfApiLibrary() override { FreeLibrary(module_); }
  void* entryPoint(const char* name) override {
    return reinterpret_cast<void*>(GetProcAddress(module_, name));
  }

 private:
  HMODULE module_;
};

}  // namespace

std::unique_ptr<IWfApiLibrary> loadWfApiLibrary() {
  HMODULE module = LoadLibraryW(L"WFAPI.dll");
  if (!module) return nullptr;
  return std::make_unique<WfApiLibrary>(module);
}

}  // namespace vcb
