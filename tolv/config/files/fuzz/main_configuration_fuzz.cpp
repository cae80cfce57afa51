// Any bytes as tolv3.cfg: no crash, no allocation beyond the input's size, and
// from the first save on the files read back whole and are written the same.
#include <cstdint>
#include <cstdlib>

#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/config/tests/fakes/FakeDataFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tolv::testing::FakeDataFiles files;
  const std::wstring main = tolv::MainConfigurationPath(files);
  files.folders.insert(tolv::ConfigurationFolderPath(files));
  files.files[main].assign(data, data + size);

  tolv::ResetConfigurationToFirstStart();
  tolv::LoadMainConfiguration(files);
  tolv::SaveMainConfiguration(files);

  for (int round = 0; round < 2; ++round) {
    const std::vector<uint8_t> saved = files.at(main);
    tolv::ResetConfigurationToFirstStart();
    const int replaces = files.replaces;
    tolv::LoadMainConfiguration(files);
    // The second load reads what the first one's save wrote: nothing to repair.
    if (round == 1 && files.replaces != replaces) std::abort();
    tolv::SaveMainConfiguration(files);
    if (round == 1 && files.at(main) != saved) std::abort();
  }
  return 0;
}
