#include "device/vesk_sdk.h"

#include "trace/scope_trace.h"
#include "vesk/values.h"

std::atomic<CVeskSDK*> g_pVeskSDK{nullptr};

CVeskSDK::CVeskSDK(IHostNotificationSink* notificationSink, IHostTraceLog* traceLog,
                   IPowerStateSource* powerStateSource)
    : CCellularSDK(notificationSink, traceLog, powerStateSource) {
  g_pVeskSDK = this;
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::CVeskSDK");
  Trace(kTraceLevelInfo, u"created object to interface with the vesk SDK");
}

CVeskSDK::~CVeskSDK() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::~CVeskSDK");
  if (!closedCleanly_) {
    Close();
  }
  Trace(kTraceLevelInfo, u"destroyed object to interface with the vesk SDK");
  g_pVeskSDK = nullptr;
}

void CVeskSDK::Release() {
  delete this;
}

int32_t CVeskSDK::GetSDKType() {
  return kSDKType;
}

IVeskSDK* CVeskSDK::GetVeskSDK() {
  return this;
}

bool CVeskSDK::Open() {
  std::lock_guard<std::mutex> lock(openCloseLock_);
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::Open");
  closedCleanly_ = false;
  if (!CCellularSDK::Open()) {
    return false;
  }
  Trace(kTraceLevelInfo, u"open the vesk SDK");
  SetOpenFlag(true);
  return true;
}

bool CVeskSDK::IsOpen() {
  return CCellularSDK::IsOpen();
}

bool CVeskSDK::Close() {
  std::lock_guard<std::mutex> lock(openCloseLock_);
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::Close");
  SetOpenFlag(false);
  const bool result = CCellularSDK::Close();
  closedCleanly_ = result;
  return result;
}

// The operations below are completed concern by concern; until then each refuses.

bool CVeskSDK::AttachToCellularDevice(DeviceInfoTree /*deviceTree*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::AttachToCellularDevice");
  return false;
}

bool CVeskSDK::AttachToCellularDevice() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::AttachToCellularDevice");
  return false;
}

bool CVeskSDK::AttachToCellularDevice(DeviceInfoTree /*deviceTree*/, bool /*turnedOn*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::AttachToCellularDevice");
  return false;
}

bool CVeskSDK::AttachToCellularDevice(bool /*turnedOn*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::AttachToCellularDevice");
  return false;
}

bool CVeskSDK::DetachFromCellularDevice() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::DetachFromCellularDevice");
  return false;
}

bool CVeskSDK::UnlockSim(const char* /*pin*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::UnlockSim");
  return false;
}

bool CVeskSDK::UnlockDevice(const char* /*code*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::UnlockDevice");
  return false;
}

bool CVeskSDK::Connect(const char* /*apn*/, const char* /*userName*/, const char* /*password*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::Connect");
  return false;
}

bool CVeskSDK::Disconnect() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::Disconnect");
  return false;
}

bool CVeskSDK::SetAutoConnectMode(int32_t /*mode*/, const char* /*apn*/, const char* /*userName*/,
                                  const char* /*password*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::SetAutoConnectMode");
  return false;
}

int32_t CVeskSDK::GetAutoConnectMode() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetAutoConnectMode");
  return NORMAL_AUTOCONNECT_Unknown;
}

bool CVeskSDK::GetCellularCardInfo(CellularCardInfo* /*info*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetCellularCardInfo");
  return false;
}

bool CVeskSDK::GetCellularServiceSelection(int32_t* /*selection*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetCellularServiceSelection");
  return false;
}

bool CVeskSDK::SetCellularServiceSelection(int32_t /*selection*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::SetCellularServiceSelection");
  return false;
}

bool CVeskSDK::StartGPSTracking() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::StartGPSTracking");
  return false;
}

bool CVeskSDK::StopGPSTracking() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::StopGPSTracking");
  return false;
}

bool CVeskSDK::PerformSpecialDiagnostics(uint32_t /*command*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::PerformSpecialDiagnostics");
  return false;
}

bool CVeskSDK::GetImageList(std::vector<ImageRecord>* /*images*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetImageList");
  return false;
}

bool CVeskSDK::StartImageSwitchingProcess(const char16_t* /*path*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::StartImageSwitchingProcess");
  return false;
}

bool CVeskSDK::IsImageSwitchingSupported() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::IsImageSwitchingSupported");
  return false;
}

void CVeskSDK::HandleEnterPCSleepMode() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::HandleEnterPCSleepMode");
}

void CVeskSDK::HandleExitPCSleepMode() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::HandleExitPCSleepMode");
}
