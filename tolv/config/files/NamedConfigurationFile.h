#pragma once
// The timestamp dialogs' view of the current named configuration, bound to
// its file beside the executable.
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/timestamps/NamedConfigurationPort.h"

namespace tolv {

class CNamedConfigurationFile : public INamedConfigurationFile {
 public:
  explicit CNamedConfigurationFile(IDataFiles& files) : files_(files) {}
  void Save() override { SaveNamedConfiguration(files_); }
  void Reload() override { LoadNamedConfiguration(files_); }

 private:
  IDataFiles& files_;
};

}  // namespace tolv
