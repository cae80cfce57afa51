#pragma once
// The current named configuration's file, as the timestamp dialogs see it:
// OK writes the settings into it, Cancel reads them back.
namespace tolv {

class INamedConfigurationFile {
 public:
  virtual ~INamedConfigurationFile() = default;
  virtual void Save() = 0;
  // Replaces the settings in memory by the file's, undoing edits not saved.
  virtual void Reload() = 0;
};

}  // namespace tolv
