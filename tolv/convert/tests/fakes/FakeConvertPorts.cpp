#include "tolv/convert/tests/fakes/FakeConvertPorts.h"

namespace tolv::testing {

namespace {

class FakeProcess : public IStartedProcess {
 public:
  FakeProcess(FakeConvertPlatform& platform, std::wstring target) : platform_(platform), target_(std::move(target)) {}
  void WaitForExit() override {
    ++platform_.waits;
    if (platform_.events) platform_.events->push_back(L"wait");
    if (platform_.converterWrites && !target_.empty()) platform_.files.insert(target_);
  }

 private:
  FakeConvertPlatform& platform_;
  std::wstring target_;
};

// The last text in double quotes.
std::wstring LastQuoted(const std::wstring& text) {
  const size_t close = text.rfind(L'"');
  if (close == std::wstring::npos || close == 0) return {};
  const size_t open = text.rfind(L'"', close - 1);
  if (open == std::wstring::npos) return {};
  return text.substr(open + 1, close - open - 1);
}

class FakeManager : public IDeviceManager {
 public:
  explicit FakeManager(FakeDictationSdk& sdk) : sdk_(sdk) { ++sdk_.managersAlive; }
  ~FakeManager() override {
    sdk_.calls.push_back("Release");
    --sdk_.managersAlive;
  }
  SdkStatus RegisterSink() override {
    sdk_.calls.push_back("RegisterSink");
    return 0;
  }
  std::vector<uint32_t> DeviceIdentities() override {
    sdk_.calls.push_back("DeviceIdentities");
    return sdk_.devices;
  }
  SdkStatus OpenDevice(uint32_t identity) override {
    sdk_.calls.push_back("OpenDevice");
    sdk_.openedDevice = identity;
    return sdk_.openDevice;
  }
  SdkStatus OpenFile(const std::wstring& path, uint32_t& handle) override {
    sdk_.calls.push_back("OpenFile");
    sdk_.openedPath = path;
    handle = 7;
    return sdk_.openFile;
  }
  SdkStatus QueryFile(uint32_t handle) override {
    sdk_.calls.push_back(handle == 7 ? "QueryFile" : "QueryFile(bad handle)");
    return sdk_.queryFile;
  }
  SdkStatus DecodeToWav(uint32_t handle, const std::wstring& wavPath) override {
    sdk_.calls.push_back(handle == 7 ? "DecodeToWav" : "DecodeToWav(bad handle)");
    sdk_.wavPath = wavPath;
    if (sdk_.decode >= 0 && sdk_.decodeWrites && sdk_.files) sdk_.files->insert(wavPath);
    return sdk_.decode;
  }
  void CloseFile(uint32_t handle) override { sdk_.calls.push_back(handle == 7 ? "CloseFile" : "CloseFile(bad handle)"); }

 private:
  FakeDictationSdk& sdk_;
};

}  // namespace

std::unique_ptr<IStartedProcess> FakeConvertPlatform::startHidden(const std::wstring& program,
                                                                  const std::wstring& parameters,
                                                                  const std::wstring& workingFolder) {
  started.push_back({program, parameters, workingFolder});
  if (events) events->push_back(L"start");
  if (!converterStarts) return nullptr;
  return std::make_unique<FakeProcess>(*this, LastQuoted(parameters));
}

void FakeConvertUi::showWaitNote(std::wstring_view text) {
  ++notesShown;
  noteOpen = true;
  if (events) events->push_back(L"note " + std::wstring(text));
}

void FakeConvertUi::closeWaitNote() {
  ++notesClosed;
  noteOpen = false;
  if (events) events->push_back(L"close note");
}

std::unique_ptr<IDeviceManager> FakeDictationSdk::CreateDeviceManager() {
  calls.push_back("Create");
  if (!installed) return nullptr;
  return std::make_unique<FakeManager>(*this);
}

}  // namespace tolv::testing
