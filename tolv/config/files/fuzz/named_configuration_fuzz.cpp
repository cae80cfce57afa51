// Any bytes as a named configuration: no crash, no allocation beyond the
// input's size, and what is then written reads back whole and is written the same.
#include <cstdint>
#include <cstdlib>

#include "tolv/config/files/ConfigurationFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tolv::ResetConfigurationToFirstStart();
  tolv::ReadNamedConfigurationFields({data, size});
  const auto written = tolv::WriteNamedConfigurationFields();
  tolv::ResetConfigurationToFirstStart();
  if (!tolv::ReadNamedConfigurationFields(written)) std::abort();
  if (tolv::WriteNamedConfigurationFields() != written) std::abort();
  return 0;
}
