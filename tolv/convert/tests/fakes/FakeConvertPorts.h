#pragma once
// Files, the converter process, the browser and the typist's boxes in memory.
// A started converter writes its target (the last quoted parameter) when it
// is waited for, unless told to fail.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tolv/convert/ConvertPorts.h"
#include "tolv/convert/DictationFiles.h"

namespace tolv::testing {

class FakeConvertPlatform : public IConvertPlatform {
 public:
  struct Started {
    std::wstring program, parameters, folder;
  };
  std::set<std::wstring> files;
  std::set<std::wstring> readOnly;
  std::wstring folder = L"C:\\Program Files\\Tolv";
  bool converterStarts = true;   // false: the converter is missing
  bool converterWrites = true;   // false: it runs but writes nothing
  std::vector<Started> started;
  int waits = 0;
  std::vector<std::wstring> browsed;
  // Shared with the UI fake to check the order of note, wait and close.
  std::vector<std::wstring>* events = nullptr;

  bool isWritable(const std::wstring& path) override { return files.count(path) && !readOnly.count(path); }
  bool fileExists(const std::wstring& path) override { return files.count(path) != 0; }
  std::wstring programFolder() override { return folder; }
  std::unique_ptr<IStartedProcess> startHidden(const std::wstring& program, const std::wstring& parameters,
                                               const std::wstring& folder) override;
  void openInBrowser(const std::wstring& address) override { browsed.push_back(address); }
};

class FakeConvertUi : public IConvertUi {
 public:
  std::vector<std::wstring> warnings, questions;
  bool answer = false;
  int notesShown = 0, notesClosed = 0;
  bool noteOpen = false;
  std::vector<std::wstring>* events = nullptr;

  void warn(std::wstring_view text) override { warnings.emplace_back(text); }
  bool askYesNo(std::wstring_view text) override {
    questions.emplace_back(text);
    return answer;
  }
  void showWaitNote(std::wstring_view text) override;
  void closeWaitNote() override;
};

class FakeConvertedMedia : public IConvertedMedia {
 public:
  std::vector<std::wstring> removed;
  void RemoveFromPlaylist(const std::wstring& path) override { removed.push_back(path); }
};

// The SDK's device manager with knobs for every step; `calls` names each call.
class FakeDictationSdk : public IDictationSdk {
 public:
  bool installed = true;
  std::vector<uint32_t> devices{0x10000001u, kLocalDecoderIdentity};
  SdkStatus openDevice = 0, openFile = 0, queryFile = 0, decode = 0;
  bool decodeWrites = true;  // a successful decode writes the WAV file into `files`
  std::set<std::wstring>* files = nullptr;
  std::vector<std::string> calls;
  uint32_t openedDevice = 0;
  std::wstring openedPath, wavPath;
  int managersAlive = 0;

  std::unique_ptr<IDeviceManager> CreateDeviceManager() override;
};

}  // namespace tolv::testing
