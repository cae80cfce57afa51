#pragma once
#include "tolv/timestamps/TextPorts.h"

namespace tolv {

// Running automation servers through COM. Construct it on the user-interface
// thread: it joins that thread to a single-threaded apartment for its lifetime.
class Win32Automation : public IAutomationPort {
 public:
  Win32Automation();
  ~Win32Automation() override;
  Win32Automation(const Win32Automation&) = delete;
  Win32Automation& operator=(const Win32Automation&) = delete;

  bool ClassFromProgId(const std::wstring& progId, ClassId& clsid) override;
  std::unique_ptr<IRunningObject> GetActiveObject(const ClassId& clsid) override;

 private:
  bool uninitialize_ = false;
};

}  // namespace tolv
