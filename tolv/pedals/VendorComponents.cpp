#include "tolv/pedals/VendorComponents.h"

#include <algorithm>

namespace tolv {

void CAdapterEventsCatchling::OnButton(long code) {
  ApplyPedalAction(transport_, AdapterServerAction(static_cast<int>(code)));
}

void CAdapterServerContainer::Connect() {
  if (connected_) return;
  if (!server_.Create()) return;
  connected_ = true;
  if (!server_.OpenPort(L"", 0)) Disconnect();
}

void CAdapterServerContainer::Disconnect() {
  if (!connected_) return;
  server_.Release();
  connected_ = false;
}

void CSpeechMike::Start(bool philipsEquipment) {
  if (!philipsEquipment || started_) return;
  if (!control_.Create()) return;
  control_.FirstMethod(0);
  control_.ThirdMethod();
  started_ = control_.Advise();
}

void CSpeechMike::OnEvent(int event, const long* firstArgument) {
  if (event != SpeechMikeButtonEvent || !firstArgument) return;
  ApplyPedalAction(transport_, SpeechMikeAction(static_cast<int>(*firstArgument)));
}

const std::array<DvrButton, 27> DvrButtons = {{
    {1528, "WM_DVR_BUTTON_STOP"},     {1529, "WM_DVR_BUTTON_PLAY"},     {1532, "WM_DVR_BUTTON_REC"},
    {1533, "WM_DVR_BUTTON_ERASE"},    {1535, "WM_DVR_BUTTON_MENU"},     {1539, "WM_DVR_BUTTON_REV"},
    {1530, "WM_DVR_BUTTON_REW"},      {1531, "WM_DVR_BUTTON_FF"},       {1538, "WM_DVR_BUTTON_NEW"},
    {1540, "WM_DVR_BUTTON_VOL_DN"},   {1541, "WM_DVR_BUTTON_VOL_UP"},   {1542, "WM_DVR_BUTTON_FUNC_A"},
    {1543, "WM_DVR_BUTTON_FUNC_B"},   {1544, "WM_DVR_BUTTON_FS_REW"},   {1545, "WM_DVR_BUTTON_FS_LISTEN"},
    {1546, "WM_DVR_BUTTON_FS_FF"},    {1547, "WM_DVR_BUTTON_FUNC_C"},   {1553, "WM_DVR_BUTTON_APL"},
    {1554, "WM_DVR_BUTTON_FUNC_D"},   {1555, "WM_DVR_BUTTON_FUNC_E"},   {1549, "WM_DVR_BUTTON_INSERT"},
    {1550, "WM_DVR_BUTTON_MS_L"},     {1551, "WM_DVR_BUTTON_MS_R"},     {1552, "WM_DVR_BUTTON_MS_W"},
    {1556, "WM_DVR_BUTTON_BARCODE"},  {1557, "WM_DVR_BUTTON_MUTE"},     {1558, "WM_DVR_BUTTON_FS_TOP"},
}};

bool IsDvrButton(long code) {
  return std::any_of(DvrButtons.begin(), DvrButtons.end(), [code](const DvrButton& b) { return b.code == code; });
}

void CVRDMDeviceNotification::OnDeviceNotify(long event, std::intptr_t device, long extra) {
  if (!owner_) return;
  owner_->OnDeviceNotify(event, device, extra);
  owner_->PostToWindow(WM_VRDM_DEVICE_NOTIFY, static_cast<std::uintptr_t>(event), device);
}

void CVRDMButtonNotification::OnButtonChange(long code, long parameter) {
  if (!owner_ || code == VrdmIgnoredButton || !IsDvrButton(code)) return;
  owner_->PostToWindow(WM_VRDM_BUTTON, static_cast<std::uintptr_t>(code), parameter);
}

long CVRDMFileProgressNotification::OnProgressNotify(long long totalFileSize, long long totalBytesTransferred, long a,
                                                     long b) {
  if (!owner_) return 0;
  if (owner_->CancelRequested()) return VRDM_E_TRANSFER_CANCELLED;
  owner_->OnProgress(totalFileSize, totalBytesTransferred, a, b);
  return 0;
}

}  // namespace tolv
