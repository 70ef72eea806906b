// The device manager of the Vesk modem family: the one object of the module that ConstructSDK builds.
//
// It holds one ICellularSDK sub-object shared by its two bases (both derive from it virtually): the
// family extension IVeskSDK and the plug-in base CCellularSDK. It attaches to the modem on its attach
// timer (retrying every 6 s), watches the modem's power mode every 6 s once attached, and detaches on
// Close, on PC sleep, and when the modem goes away (re-attaching 15 s later in the last case).
//
// Vendor callbacks, which carry no object, reach it through g_pVeskSDK behind a callback gate: the
// constructor opens the gate, the destructor closes it (clearing g_pVeskSDK) and waits for the
// callbacks already inside before any member goes; later callbacks return without touching it.
//
// Locks, in the order in which they may be taken: openCloseLock_, powerModeLock_,
// deviceOperationLock_, the facade's locks, the base's info lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/device_operation_lock.h"
#include "facade/generic_vesk_sdk.h"
#include "netutil/member_thread.h"
#include "netutil/member_timer.h"
#include "netutil/work_item_queue.h"
#include "nmea/nmea_parser.h"
#include "platform/event.h"
#include "plugin/cellular_sdk.h"
#include "trace/trace.h"
#include "vesk/host_interfaces.h"

// One step of the diagnostic RSSI stress simulation.
struct RssiStressStep {
  std::string pattern;  // "lowToHigh", "highToLow" or "random"
  uint32_t intervalMs = 0;
};
using RssiStressPlan = std::vector<RssiStressStep>;

class CVeskSDK : public virtual IVeskSDK, public virtual CCellularSDK {
 public:
  // The type of plug-in this module is, for the host.
  static constexpr int32_t kSDKType = 3;

  // Attach and power-mode intervals, in milliseconds of the platform clock.
  static constexpr uint32_t kAttachRetryMs = 6000;
  static constexpr int32_t kAttachRetryReportMs = 20000;  // retrying beyond this reports the failure
  static constexpr uint32_t kTurnedOnAttachDelayMs = 7500;
  static constexpr uint32_t kReattachDelayMs = 15000;
  static constexpr uint32_t kDevicePowerStatePeriodMs = 6000;
  static constexpr uint32_t kDetachWaitMs = 2000;
  static constexpr int kFirmwareInfoAttempts = 5;
  static constexpr uint32_t kWorkerStopTimeoutMs = 10000;
  static constexpr int kMaxRunningPowerCallbacks = 2;
  static constexpr BYTE kEnumeratedDeviceCount = 5;

  // Device-state bits (CachedCellularInfo::deviceStateBits) that attach and the power monitor own.
  static constexpr uint32_t kDeviceStateNotConnectable = 0x1;
  static constexpr uint32_t kDeviceStateUnknownTechnology = 0x2;
  static constexpr uint32_t kDeviceStateRadioOff = 0x10;

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

  // The name of a firmware carrier ID, or "Undefined (0x<id in hex>)" for an ID not in the table.
  std::string GetCarrierName(int32_t carrierId);

  // The vendor library's callbacks: plain functions that reach the manager through g_pVeskSDK. Each
  // may arrive on a library thread at any moment, also during Close and after destruction.
  static void SignalStrengthCallback(INT8 signalStrength, ULONG radioInterface);
  static void SessionStateCallback(ULONG state, ULONG sessionEndReason);
  static void RoamingIndicatorCallback(ULONG roaming);
  static void ByteTotalsCallback(ULONGLONG totalBytesTX, ULONGLONG totalBytesRX);
  static void PowerCallback(ULONG operatingMode);
  static void DataCapabilitiesCallback(BYTE dataCapsSize, ULONG* pDataCaps);
  static void NewSMSCallback(ULONG storageType, ULONG messageIndex);
  static void ActivationStatusCallback(ULONG activationState);
  static void DeviceRemovalCallback();
  static void NMEACallback(const char* pNMEA);
  static void PDSStateCallback(ULONG enabledStatus, ULONG trackingStatus);

 protected:
  void HandleEnterPCSleepMode() override;
  void HandleExitPCSleepMode() override;

 private:
  class CallbackPass;

  // A device-manager message (written without the indent) at level.
  template <typename... Args>
  void Trace(int32_t level, const char16_t* message, Args... args) {
    TraceDeviceMessage(GetTraceLog(), GetTraceCategory(), level, message, args...);
  }

  // Callback gate (vendor_callbacks.cpp).
  void OpenCallbackGate();
  void CloseCallbackGate();
  // Registers every vendor callback of the attached modem.
  void RegisterVeskCallbacks();
  void HandleDeviceRemoval();

  // Attach (attach.cpp, initialize.cpp).
  bool AttachWithTree(const DeviceInfoTree& deviceTree, bool turnedOn);
  bool AttachToCellularDeviceImpl(const std::u16string& deviceId, bool turnedOn);
  bool StartAttachProcess(uint32_t delayMs);
  void AttachTimerCallback(uint32_t argument);
  bool InitializeVesk();
  // Connects the modem the host named, or the first one found; false (retry) when there is none.
  bool ConnectDevice();
  // The enumerated record whose device tree is the host's, or null.
  const VendorDeviceRecord* FindHostDevice(const VendorDeviceRecord* devices, int count);
  // Reads the connected device's ID and tree into the cache and announces the attach; false when the
  // ID could not be read.
  bool AnnounceConnectedDevice(ULONG gpsCapability);
  // Sets and clears device-state bits, posting the new bits when they changed.
  void ChangeDeviceStateBits(uint32_t set, uint32_t clear);

  // Power-mode monitor (power.cpp).
  void DevicePwrModeTimerCallback(uint32_t argument);
  void ApplyPowerMode(ULONG mode);
  // Detaches and restarts the attach 15 s later, unless the PC sleeps or no attach is requested.
  void DetachForReattach();

  // The firmware carrier IDs and their names (carriers.cpp).
  static std::map<int32_t, std::string> LoadCarrierTable();

  // Later concerns, called here; each only traces for now (vesk_sdk.cpp).
  void EvaluateSimStatus();
  void EvaluateCDMAAccountActivation();
  void GetVeskDeviceInfo();
  void ProcessStoredSmsMessages();
  bool TryToStopStartDataSessionThread(bool* flag);
  bool JoinStartDataSessionThread();
  void StartDataSessionThread(std::string apn, std::string userName, std::string password);
  void HandleStartDataSessionTimeout(uint32_t argument);
  void HandleAutoconnectTimeout(uint32_t argument);
  void StressRssi(RssiStressPlan plan);
  void HandleNMEA(std::string sentence);
  void HandlePDSState(ULONG enabledStatus, ULONG trackingStatus);

  std::mutex openCloseLock_;  // held for the whole of Open and of Close
  bool closedCleanly_ = false;

  VeskSDKFacade::GenericVeskSDK facade_;
  CWorkItemQueue workerQueue_;  // NMEA sentences, off the library's thread
  DeviceOperationLock deviceOperationLock_;

  platform::Event detachEvent_{platform::Event::ResetPolicy::kManual};
  platform::Event stopEvent_{platform::Event::ResetPolicy::kManual};
  platform::Event connectAcknowledgeEvent_{platform::Event::ResetPolicy::kAutomatic};

  std::mutex disconnectRequestedLock_;
  bool disconnectRequested_ = false;
  std::mutex smsLock_;

  // Attach state, written under deviceOperationLock_; the flags are also read by the monitor.
  std::atomic<bool> attachRequested_{false};
  std::atomic<bool> pcSleeping_{false};
  std::atomic<bool> imageSwitchPending_{false};
  std::atomic<bool> gpsSupported_{false};
  std::u16string hostDeviceId_;
  int32_t attachRetryTime_ = 0;  // -1 once the failure has been reported

  // Power-mode monitor.
  std::mutex powerModeLock_;  // held for a whole power-mode timer callback
  std::atomic<int32_t> lastPowerMode_{-1};
  std::mutex runningPowerCallbacksLock_;
  int runningPowerCallbacks_ = 0;

  std::vector<ULONG> retryableResults_;
  std::map<int32_t, std::string> carrierNames_;
  NMEAParser nmeaParser_;

  std::unique_ptr<CMemberTimer<CVeskSDK>> attachTimer_;
  std::unique_ptr<CMemberTimer<CVeskSDK>> devicePowerStateTimer_;
  std::unique_ptr<CMemberThread<CVeskSDK, std::string, std::string, std::string>> startDataSessionThread_;
  std::unique_ptr<CMemberTimer<CVeskSDK>> startDataSessionTimer_;
  std::unique_ptr<CMemberThread<CVeskSDK, RssiStressPlan>> rssiStressThread_;
  std::unique_ptr<CMemberTimer<CVeskSDK>> autoconnectTimer_;
};

// The one device manager, for the vendor library's plain callback functions. Written only by the
// callback gate (construction and destruction).
extern std::atomic<CVeskSDK*> g_pVeskSDK;
