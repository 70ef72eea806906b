// The device manager of the Vesk modem family: the one object of the module that ConstructSDK builds.
//
// It holds one ICellularSDK sub-object shared by its two bases (both derive from it virtually): the
// family extension IVeskSDK and the plug-in base CCellularSDK. Vendor callbacks, which carry no
// object, reach it through g_pVeskSDK, set by the constructor and cleared by the destructor.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "plugin/cellular_sdk.h"
#include "trace/trace.h"
#include "vesk/host_interfaces.h"

class CVeskSDK : public virtual IVeskSDK, public virtual CCellularSDK {
 public:
  // The type of plug-in this module is, for the host.
  static constexpr int32_t kSDKType = 3;

  CVeskSDK(IHostNotificationSink* notificationSink, IHostTraceLog* traceLog,
           IPowerStateSource* powerStateSource);
  ~CVeskSDK() override;

  // ICellularSDK
  void Release() override;
  int32_t GetSDKType() override;
  IVeskSDK* GetVeskSDK() override;
  bool Open() override;
  bool IsOpen() override;
  bool Close() override;
  bool AttachToCellularDevice(DeviceInfoTree deviceTree) override;
  bool AttachToCellularDevice() override;
  bool DetachFromCellularDevice() override;
  bool UnlockSim(const char* pin) override;
  bool UnlockDevice(const char* code) override;
  bool Connect(const char* apn, const char* userName, const char* password) override;
  bool Disconnect() override;
  bool SetAutoConnectMode(int32_t mode, const char* apn, const char* userName, const char* password) override;
  int32_t GetAutoConnectMode() override;
  bool GetCellularCardInfo(CellularCardInfo* info) override;
  bool GetCellularServiceSelection(int32_t* selection) override;
  bool SetCellularServiceSelection(int32_t selection) override;
  bool StartGPSTracking() override;
  bool StopGPSTracking() override;
  bool PerformSpecialDiagnostics(uint32_t command) override;

  // IVeskSDK
  bool GetImageList(std::vector<ImageRecord>* images) override;
  bool StartImageSwitchingProcess(const char16_t* path) override;
  bool AttachToCellularDevice(DeviceInfoTree deviceTree, bool turnedOn) override;
  bool AttachToCellularDevice(bool turnedOn) override;
  bool IsImageSwitchingSupported() override;

 protected:
  void HandleEnterPCSleepMode() override;
  void HandleExitPCSleepMode() override;

 private:
  // A device-manager message (written without the indent) at level.
  template <typename... Args>
  void Trace(int32_t level, const char16_t* message, Args... args) {
    TraceDeviceMessage(GetTraceLog(), GetTraceCategory(), level, message, args...);
  }

  std::mutex openCloseLock_;  // held for the whole of Open and of Close
  bool closedCleanly_ = false;
};

// The one device manager, for the vendor library's plain callback functions.
extern std::atomic<CVeskSDK*> g_pVeskSDK;
