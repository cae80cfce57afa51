#include "tolv/playback/win32/WMPPlayer4.h"

#include <windows.h>
#include <oleauto.h>
#include <wmp.h>

namespace tolv {

namespace {

// {6BF52A52-394A-11D3-B153-00C04F79FAA6}
const CLSID kClsidWindowsMediaPlayer = {0x6bf52a52, 0x394a, 0x11d3, {0xb1, 0x53, 0x00, 0xc0, 0x4f, 0x79, 0xfa, 0xa6}};

void Check(HRESULT hr, const char* operation) {
  if (FAILED(hr)) throw PlayerError(operation, static_cast<long>(hr));
}

// Owns one interface pointer for the length of a call.
template <class T>
class Ref {
 public:
  Ref() = default;
  ~Ref() {
    if (p_) p_->Release();
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  T** out() { return &p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// Owns a BSTR the component handed out.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::wstring& text) : s_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
    if (!s_ && !text.empty()) throw PlayerError("SysAllocStringLen", static_cast<long>(E_OUTOFMEMORY));
  }
  ~Bstr() { SysFreeString(s_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR* out() { return &s_; }
  BSTR get() const { return s_; }
  std::wstring str() const { return s_ ? std::wstring(s_, SysStringLen(s_)) : std::wstring(); }
  bool empty() const { return !s_ || SysStringLen(s_) == 0; }

 private:
  BSTR s_ = nullptr;
};

}  // namespace

CWMPPlayer4::CWMPPlayer4(IWMPPlayer4* player) : player_(player) {
  if (player_) player_->AddRef();
}

CWMPPlayer4::~CWMPPlayer4() {
  if (player_) player_->Release();
}

std::unique_ptr<CWMPPlayer4> CWMPPlayer4::Create() {
  IWMPPlayer4* raw = nullptr;
  Check(CoCreateInstance(kClsidWindowsMediaPlayer, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWMPPlayer4),
                         reinterpret_cast<void**>(&raw)),
        "CoCreateInstance(WindowsMediaPlayer)");
  auto wrapper = std::make_unique<CWMPPlayer4>(raw);
  raw->Release();
  return wrapper;
}

std::wstring CWMPPlayer4::URL() {
  Bstr url;
  Check(player_->get_URL(url.out()), "URL");
  return url.str();
}

void CWMPPlayer4::setURL(const std::wstring& url) {
  Bstr value(url);
  Check(player_->put_URL(value.get()), "URL");
}

bool CWMPPlayer4::hasURL() {
  Bstr url;
  Check(player_->get_URL(url.out()), "URL");
  return !url.empty();
}

int CWMPPlayer4::playState() {
  WMPPlayState state = wmppsUndefined;
  Check(player_->get_playState(&state), "playState");
  return static_cast<int>(state);
}

std::wstring CWMPPlayer4::status() {
  Bstr text;
  Check(player_->get_status(text.out()), "status");
  return text.str();
}

void CWMPPlayer4::setStretchToFit(bool stretch) {
  Check(player_->put_stretchToFit(stretch ? VARIANT_TRUE : VARIANT_FALSE), "stretchToFit");
}

void CWMPPlayer4::controlsPlay() {
  Ref<IWMPControls> controls;
  Check(player_->get_controls(controls.out()), "controls");
  if (controls) Check(controls->play(), "controls.play");
}

void CWMPPlayer4::controlsPause() {
  Ref<IWMPControls> controls;
  Check(player_->get_controls(controls.out()), "controls");
  if (controls) Check(controls->pause(), "controls.pause");
}

void CWMPPlayer4::controlsStop() {
  Ref<IWMPControls> controls;
  Check(player_->get_controls(controls.out()), "controls");
  if (controls) Check(controls->stop(), "controls.stop");
}

double CWMPPlayer4::currentPosition() {
  Ref<IWMPControls> controls;
  Check(player_->get_controls(controls.out()), "controls");
  double position = 0;
  if (controls) Check(controls->get_currentPosition(&position), "controls.currentPosition");
  return position;
}

void CWMPPlayer4::setCurrentPosition(double seconds) {
  Ref<IWMPControls> controls;
  Check(player_->get_controls(controls.out()), "controls");
  if (controls) Check(controls->put_currentPosition(seconds), "controls.currentPosition");
}

double CWMPPlayer4::duration() {
  // Without a medium there is no currentMedia; its duration counts as 0.
  Ref<IWMPMedia> media;
  if (FAILED(player_->get_currentMedia(media.out())) || !media) return 0;
  double seconds = 0;
  Check(media->get_duration(&seconds), "currentMedia.duration");
  return seconds;
}

void CWMPPlayer4::setRate(double rate) {
  Ref<IWMPSettings> settings;
  Check(player_->get_settings(settings.out()), "settings");
  if (settings) Check(settings->put_rate(rate), "settings.rate");
}

void CWMPPlayer4::setVolume(int volume) {
  Ref<IWMPSettings> settings;
  Check(player_->get_settings(settings.out()), "settings");
  if (settings) Check(settings->put_volume(volume), "settings.volume");
}

void CWMPPlayer4::setBalance(int balance) {
  Ref<IWMPSettings> settings;
  Check(player_->get_settings(settings.out()), "settings");
  if (settings) Check(settings->put_balance(balance), "settings.balance");
}

}  // namespace tolv
