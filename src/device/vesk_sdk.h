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
#include "sms/long_message_assembler.h"
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
  // Runs body(manager) for a vendor callback when the gate lets it through, inside a scope named
  // name when scoped. Nothing may unwind into the library: an exception (a failed allocation, most
  // likely) drops the event.
  template <class Body>
  static void RunCallback(const char* name, bool scoped, Body body) noexcept;

  // True when the module is open; otherwise traces that operation was refused. Host operations that
  // would reach the modem or post notifications call it first.
  bool IsOpenFor(const char* operation);

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

  // Timer, thread and worker bodies of other concerns (autoconnect.cpp, diagnostics.cpp, gps.cpp).
  friend struct StressTestPeer;
  void HandleAutoconnectTimeout(uint32_t argument);
  void StressRssi(RssiStressPlan plan);
  void HandleNMEA(std::string sentence);
  // StopGPSTracking without the open check, for the detach.
  bool EndGPSTracking();
  void HandlePDSState(ULONG enabledStatus, ULONG trackingStatus);

  // ---- Device information, SIM and activation (device_info.cpp, sim.cpp, activation.cpp) ----
 public:
  // Device-state bits of this concern.
  static constexpr uint32_t kDeviceStatePhoneNumberUnavailable = 0x4;
  static constexpr uint32_t kDeviceStateNotActivated = 0x8;
  static constexpr int kVoiceNumberAttempts = 10;
  static constexpr int kSignalStrengthAttempts = 5;
  static constexpr int kDataCapabilitiesAttempts = 3;
  static constexpr int kPinStatusAttempts = 2;
  static constexpr uint32_t kQueryRetryPauseMs = 500;
  static constexpr uint32_t kActivationPowerDownDelayMs = 1000;

  // The host SIM status (0 unknown, 1 ready, 2 locked, 3 missing) of a whole SIM status bitmap.
  static int32_t HostSimStatus(uint32_t simStatusBits);

 private:
  friend struct DeviceInfoTestPeer;

  // Reads the SIM's PIN state into the cache, reports it, and gathers the device information once the
  // SIM is ready. Takes the device-operation lock.
  void EvaluateSimStatus();
  // On a CDMA image: gathers the device information when the account is activated, else marks the
  // device not activated. Takes the device-operation lock.
  void EvaluateCDMAAccountActivation();
  // True when the account is activated already or its over-the-air activation was started.
  bool InitiateOverTheAirActivation();
  bool ResetToFactoryDefaults();
  // The body of ActivationStatusCallback, on the library's thread.
  void HandleActivationStatus(ULONG activationState);
  // The long, strictly ordered pass that registers the callbacks and reads everything the host shows;
  // ends with WWAN_NOTIFICATION_DEVICE_INFO_READY unless a detach or an unprovisioned phone number
  // cuts it short. Takes the device-operation lock.
  void GetVeskDeviceInfo();
  // The steps of the pass; the two readers return false when the pass must end there.
  void ReadDeviceIdentity();
  bool ReadPhoneNumber();
  bool ReadSignalStrength();
  void ReadAllSignalStrengths();
  void ReadServingNetworkCapabilities();
  void ReportSessionState();
  // Waits on the detach event between attempts; true (and traced) when a detach ends the pass.
  bool DetachedDuringInfoWait();
  // ---- end device information ----

  // ---- Network, roaming and signal (network.cpp) ----
  // Lets the tests run the network queries of an attached modem on their own.
  friend struct NetworkInfoTestPeer;

  // Reads the home and the serving network into the cache and reports roaming. The caller holds
  // deviceOperationLock_.
  void GetCellularNetworkInfo();
  // Posts WWAN_NOTIFICATION_ROAMING for a vendor roaming indicator: 1 roaming, 2 home, 0 unknown.
  void HandleRoamingInfo(ULONG roamingIndicator);
  // Chooses the best service type among the data capabilities (low byte of each of the count
  // entries; null reads as none), stores it as connectionCapability and posts WWAN_NOTIFICATION_SERVICE,
  // also when nothing matched. Any thread; concurrent runs each decide on their own, the last store wins.
  void UpdateNetworkCapabilities(BYTE count, const ULONG* capabilities);
  // withRetry false: a single query (the diagnostic reports), whatever it answers.
  void ReadHomeNetwork(bool withRetry = true);
  // The roaming indicator of the serving network, or one that reads as unknown when it is not known.
  ULONG ReadServingNetwork(bool withRetry = true);
  // Calls call() and, when withRetry and after a retryable result, once more 500 ms later.
  template <typename Call>
  ULONG CallWithNetworkRetry(const char16_t* retryMessage, bool withRetry, Call call);
  // The bodies of the vendor callbacks of this concern, on the library's threads.
  void ReportSignalStrength(INT8 dbm, ULONG radioInterface);
  void ReportByteTotals(ULONGLONG totalBytesTX, ULONGLONG totalBytesRX);
  void ReportDataCapabilities(BYTE count, const ULONG* capabilities);

  std::mutex networkCapabilitiesLock_;  // one data-capabilities report at a time
  // ---- end network ----

  // ---- Data session (session.cpp) ----
 public:
  // Device-state bit: the start of a data session is blocked in the vendor library.
  static constexpr uint32_t kDeviceStateStartBlocked = 0x20;
  // Data-session intervals, in milliseconds of the platform clock.
  static constexpr uint32_t kStartDataSessionTimeoutMs = 90000;
  static constexpr uint32_t kStartDataSessionDeadlineMs = 20000;
  static constexpr uint32_t kSessionRetryPauseMs = 500;
  static constexpr uint32_t kConnectAcknowledgeWaitMs = 10000;
  static constexpr uint32_t kStartThreadRunningWaitMs = 500;
  static constexpr uint32_t kStartThreadStopWaitMs = 200;
  static constexpr int kSessionAttempts = 2;

 private:
  // True when no start thread runs any more; false (device-state bit 0x20 set) while it stays
  // blocked. Sets *flag to false when flag is given.
  bool TryToStopStartDataSessionThread(bool* flag);
  // Waits without limit for the start thread; detach holds the device-operation lock meanwhile.
  bool JoinStartDataSessionThread();
  // The start thread: starts the session (retrying once) and carries out a disconnect that arrived
  // while the start was blocked.
  void StartDataSessionThread(std::string apn, std::string userName, std::string password);
  void DisconnectAfterConnectAcknowledgement();
  void StopStartedDataSession();
  void HandleStartDataSessionTimeout(uint32_t argument);
  // The vendor session state, retried once after a retryable result; *state is left as it was on
  // failure.
  bool GetSessionState(ULONG* state);
  // The body of SessionStateCallback, on the library's thread.
  void HandleSessionState(ULONG state, ULONG sessionEndReason);
  // Reads the default profile into the cache (nothing to read on a CDMA device).
  bool SaveCurrentDefaultProfileInfo();
  // Calls the query, and once more 500 ms later after a retryable result, tracing retryMessage (one
  // %lu: the previous result) before the second call.
  ULONG CallWithSessionRetry(const char16_t* retryMessage,
                             ULONG (VeskSDKFacade::GenericVeskSDK::*query)(ULONG*), ULONG* value);
  bool IsRetryableResult(ULONG result) const;

  std::atomic<ULONG> sessionId_{0};
  // True from Connect's start of a thread until that thread has taken disconnectRequested_ after its
  // start; a Disconnect is deferred to the thread only then. Guarded by disconnectRequestedLock_.
  bool startThreadTakesDisconnect_ = false;
  // Held by Connect from its running-thread check to the thread's start, so that two host threads
  // cannot both find no thread and the loser undo the winner's timer and deferral.
  std::mutex connectStartLock_;

  // Whether the host has been told of the attach: set as ATTACHED_TO_DEVICE is posted, cleared as
  // DETACHED_FROM_DEVICE is. A connection found outside that span (a host asking while an attach is
  // still under way) is left to the information pass, so the host never hears of it before the attach.
  std::mutex attachAnnounceLock_;
  bool attachAnnounced_ = false;
  void PostAttachAnnouncement(bool attached);
  // Posts CONNECTED while the attach is announced; false when it posted nothing.
  bool PostConnectedWhileAttached(uintptr_t capability);
  // ---- end session ----

  // ---- SMS reception (sms.cpp) ----
 public:
  // Vendor SMS storage types.
  static constexpr ULONG kSmsStorageSim = 0;
  static constexpr ULONG kSmsStorageDevice = 1;

 private:
  // The body of NewSMSCallback, on the library's thread.
  void HandleNewSms(ULONG storageType, ULONG messageIndex);
  // Reads, decodes and delivers every unread message of the SIM and of the device memory; called once
  // by the initialization.
  void ProcessStoredSmsMessages();
  // Reads and decodes one message; delivers it and marks it read, or, when it is a part of a long
  // message, keeps it until every part has been read. The caller holds smsLock_.
  void ProcessSmsEvent(ULONG storageType, ULONG messageIndex);
  // Hands one whole message to the host, then marks every place it was read from read. The caller
  // holds smsLock_.
  void DeliverSms(const JoinedSms& message);
  // ---- end SMS ----
  // ---- Service selection and autoconnect (service_selection.cpp, autoconnect.cpp) ----
 public:
  // The autoconnect timer, the attempts at switching autoconnect on and their deadline, in
  // milliseconds of the platform clock.
  static constexpr uint32_t kAutoconnectTimeoutMs = 29000;
  static constexpr uint32_t kAutoconnectDeadlineMs = 20000;
  static constexpr int kAutoconnectAttempts = 2;

 private:
  friend struct ServiceSelectionTestPeer;

  // The host service selection that a vendor technology preference stands for, traced as it is
  // decoded; NORMAL_SERVICESELECTION_Not_Supported (with an error line) when it cannot be decoded.
  int32_t DecodeTechnologyPreference(ULONG preference);
  // Writes the default profile (GSM images) and switches autoconnect on, arming the autoconnect
  // timer; when it is on already, only repeats the session's state to the host.
  bool EnableAutoconnect(const char* apn, const char* userName, const char* password);
  // Switches autoconnect off; true when it is off afterwards (or was off already).
  bool DisableAutoconnect();
  // ---- end service selection and autoconnect ----

  // ---- Hardware, serial and card information (hardware.cpp) ----
 public:
  // Characters of a model description buffer, the terminator included.
  static constexpr std::size_t kModelDescriptionLength = 260;

  // Writes the description of a model ID into description (kModelDescriptionLength characters): the
  // two known models by name, any other ID as itself (a null ID as empty text). Returns description.
  char16_t* GetVeskModemModel(const char* modelId, char16_t* description);
  // Stores the firmware revision in the cache and traces the AMS, BOOT and PRI revisions; a failed
  // query keeps the cached value. Part of the information pass: takes the device-operation lock.
  void InitializeHardwareInfo();
  // Stores the IMEI as the serial number and traces ESN, IMEI and MEID; a failure is silent. Takes the
  // device-operation lock.
  void GetCellularSerialInfo();

 private:
  // ---- end hardware ----

  // ---- Diagnostics (diagnostics.cpp) ----
 public:
  // The SIM PIN that the lock test sends.
  static constexpr const char* kTestSimLockPin = "5927";
  // The radio interface of simulated signal strengths.
  static constexpr ULONG kStressRadioInterface = 5;

 private:
  // Writes the autoconnect setting and the session state into the log.
  void ReportCurrentSettings();
  // Ends a running stress run (within one of its intervals) and waits until its thread has ended.
  void StopRssiStress();

  std::mutex rssiStressLock_;  // a stress run's start against its stop; the stress thread never takes it
  platform::Event rssiStressStopEvent_{platform::Event::ResetPolicy::kManual};
  // ---- end diagnostics ----

  std::mutex openCloseLock_;  // held for the whole of Open and of Close
  // True until the first Open: a module never opened has nothing for the destructor to close.
  bool closedCleanly_ = true;

  VeskSDKFacade::GenericVeskSDK facade_;
  DeviceOperationLock deviceOperationLock_;

  platform::Event detachEvent_{platform::Event::ResetPolicy::kManual};
  platform::Event stopEvent_{platform::Event::ResetPolicy::kManual};
  platform::Event connectAcknowledgeEvent_{platform::Event::ResetPolicy::kAutomatic};

  std::mutex disconnectRequestedLock_;
  bool disconnectRequested_ = false;
  std::mutex smsLock_;  // one message read, delivered and marked at a time
  LongMessageAssembler smsAssembler_;  // parts read but not delivered yet; under smsLock_

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

  // NMEA sentences, off the library's thread. Declared last so that it is destroyed first: a drain
  // that timed out in Close leaves its worker running HandleNMEA, which reaches nmeaParser_ and the
  // base's cache and trace log; the queue's destructor ends the worker before any of them goes.
  CWorkItemQueue workerQueue_;
};

// The one device manager, for the vendor library's plain callback functions. Written only by the
// callback gate (construction and destruction).
extern std::atomic<CVeskSDK*> g_pVeskSDK;
