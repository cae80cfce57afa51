// Writes the configuration the installer ships: tolv3.cfg and
// Configuration\DEFAULT in the folder given on the command line.
//
// The player's built-in first-start values stop playback at once (fixed-length
// play of 0 s) and paint the window black (both colours 0); a typist installing
// the program gets a configuration that plays until paused instead.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tolv/app/Appearance.h"
#include "tolv/config/Settings.h"
#include "tolv/config/files/ConfigurationFiles.h"
#include "tolv/config/win32/Win32DataFiles.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fwprintf(stderr, L"usage: tolv_firstconfig FOLDER\n");
    return 64;
  }
  std::wstring folder = argv[1];
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';

  tolv::ResetConfigurationToFirstStart();
  tolv::playMode = tolv::PlayModeToggle;
  tolv::jumpBackSeconds = 2;
  tolv::pxSeconds = 5;
  tolv::rxSeconds = 5;
  tolv::speedPercent = 100;
  tolv::toggleSpeedPercent = 70;
  tolv::appearanceColorFrom = static_cast<int>(tolv::kDefaultColorFrom);
  tolv::appearanceColorTo = static_cast<int>(tolv::kDefaultColorTo);
  tolv::showVideoResizeHelp = 1;

  tolv::Win32DataFiles files(folder, folder, true);
  if (!files.createFolder(tolv::ConfigurationFolderPath(files))) {
    std::fwprintf(stderr, L"tolv_firstconfig: cannot create %ls\n", tolv::ConfigurationFolderPath(files).c_str());
    return 1;
  }
  tolv::SaveMainConfiguration(files);
  if (!files.canOpen(tolv::MainConfigurationPath(files)) ||
      !files.canOpen(tolv::NamedConfigurationPath(files, L"DEFAULT"))) {
    std::fwprintf(stderr, L"tolv_firstconfig: writing into %ls failed\n", folder.c_str());
    return 1;
  }
  return 0;
}
