// The family-independent base of a cellular plug-in.
//
// It keeps the three host objects (never owned; all three must be non-null, the trace log may be
// null in tests), delivers notifications to the host on a notification thread of its own in posting
// order, derives the readiness notifications, and forwards PC sleep and resume to its own virtual
// handlers. It also caches the device state the device manager gathers (info lock), the GPS state
// (GPS lock) and the NMEA port name (its own lock), and reports GPS changes to the host every 5 s while
// tracking. A device manager derives from it (virtually) and completes ICellularSDK.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "netutil/member_timer.h"
#include "netutil/work_item_queue.h"
#include "plugin/cached_cellular_info.h"
#include "plugin/cellular_sdk_event.h"
#include "plugin/readiness_tracker.h"
#include "plugin/wan_sdk_message.h"
#include "vesk/host_interfaces.h"
#include "vesk/records.h"

struct GpsFix;

class CCellularSDK : public virtual ICellularSDK {
 public:
  class PCPowerStateObserver;

  // How long Close and the destructor wait for the notification thread to deliver what is queued.
  static constexpr uint32_t kNotificationStopTimeoutMs = 10000;
  // Due time and period of the GPS notification timer.
  static constexpr uint32_t kGPSNotificationPeriodMs = 5000;

  CCellularSDK(IHostNotificationSink* notificationSink, IHostTraceLog* traceLog,
               IPowerStateSource* powerStateSource);
  ~CCellularSDK() override;
  CCellularSDK(const CCellularSDK&) = delete;
  CCellularSDK& operator=(const CCellularSDK&) = delete;

  ISmithMicroSDK* GetSmithMicroSDK() override;
  IVeskSDK* GetVeskSDK() override;
  ISierraVeskSDK* GetSierraVeskSDK() override;
  ISierraEmbVeskSDK* GetSierraEmbVeskSDK() override;
  // Starts the notification thread, queues the initializing notification and registers the power
  // observer. The open flag itself is the device manager's to set.
  bool Open() override;
  bool IsOpen() override;
  // Closes the GPS notification timer for good, unregisters the power observer, queues detached and
  // closed, and stops the notification thread once everything queued has been delivered (or 10 s have
  // passed).
  bool Close() override;
  bool StartGPSTracking() override;
  bool StopGPSTracking() override;
  bool IsGPSTrackingActive() override;

  // --- Cached device state. Each accessor holds the info lock for one copy. Getters copy into a
  // caller buffer of kHostTextLength (261) characters; a null buffer or record is ignored. Setters
  // take zero-terminated text (null stores an empty text) and cut what does not fit.

  // Clears every field; if device-state bits were set, posts WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE.
  void ResetCachedInfo();

  void SetAdapterText(const char16_t* text);
  void GetAdapterText(char16_t* buffer);
  void GetModelDescription(char16_t* buffer);
  void GetCachedManufacturer(char16_t* buffer);
  void SetPortText(const char16_t* text);
  void GetPortText(char16_t* buffer);
  // Stores the first two tokens separated by '[' and ']' as the revision and its tag.
  void SetFirmwareRevision(const char16_t* text);
  void GetCachedFirmwareRevision(char16_t* buffer);
  void GetFirmwareRevisionTag(char16_t* buffer);
  void SetVoiceNumber(const char16_t* text);
  void GetCachedVoiceNumber(char16_t* buffer);
  void SetImsi(const char16_t* text);
  void SetIccid(const char16_t* text);
  void GetIccid(char16_t* buffer);
  void SetHomeNetworkCode(uint16_t mcc, uint16_t mnc);
  void GetHomeNetworkCode(char16_t* buffer);
  // The first three characters of the home network code, and the characters after them.
  void GetHomeMcc(char16_t* buffer);
  void GetHomeMnc(char16_t* buffer);
  void SetServingNetworkCode(uint16_t mcc, uint16_t mnc);
  void SetServingNetworkName(const char16_t* text);
  void GetSerialNumber(char16_t* buffer);
  void SetCachedDefaultProfile(const CachedDefaultProfile* profile);
  void GetCachedDefaultProfile(CachedDefaultProfile* profile);
  // Stores the name "CDMA" instead of the record's name while the cached technology is CDMA.
  void SetActiveConnection(const CachedActiveConnection* connection);
  void GetActiveConnection(CachedActiveConnection* connection);
  int32_t GetConnectionCapability();
  uint32_t GetDeviceStateBits();

  // Direct access to the fields without an accessor: runs fn(CachedCellularInfo&) under the info lock
  // and returns its result. Keep fn short; it may post notifications but must not wait, and must not
  // take the GPS or NMEA port lock.
  template <typename Fn>
  decltype(auto) WithInfo(Fn&& fn) {
    std::lock_guard<std::recursive_mutex> lock(infoLock_);
    return std::forward<Fn>(fn)(cachedInfo_);
  }

  // --- NMEA port (its own lock).

  // Takes the port name of the first port node whose description contains "NMEA"; keeps the stored
  // name when there is none.
  void SetNmeaPortFromDeviceList(const std::vector<DeviceNode>& nodes);
  std::u16string GetNmeaPortName();

  // --- GPS state (GPS lock, taken before the NMEA port lock).

  // Merges the valid values of a parsed fix; any change gives the cache a fix and marks it changed.
  void UpdateCachedGPSInfo(const GpsFix& fix);
  // Merges a whole record; one without a fix moves a cache that has a fix to the no-fix state.
  void UpdateCachedGPSInfo(const GpsInfo& info);
  // Resets the GPS state to no fix, marks tracking active and arms the 5 s notification timer.
  bool StartGPSNotificationTimer();
  // Marks tracking inactive, waits for a notification being posted, and disarms the timer.
  bool StopGPSNotificationTimer();

  // Queues one notification for the host; any thread, including the notification thread. The payload
  // in param1, if the code carries one, belongs to the queue from now on. False when it was dropped
  // (the stream is closed, no memory): its payload is freed then.
  bool PostNotification(int32_t code, uintptr_t param1, uintptr_t param2) noexcept;

  // Hands one message to the host's sink; called by CCellularSDKEvent on the notification thread.
  void ProcessWanSdkMessage(const WanSdkMessage& message);

  IHostTraceLog* GetTraceLog() const { return traceLog_; }
  int32_t GetTraceCategory() const { return traceCategory_; }

 protected:
  // PC sleep and resume, forwarded by the power observer; the base does nothing.
  virtual void HandleEnterPCSleepMode();
  virtual void HandleExitPCSleepMode();

  void SetOpenFlag(bool open);

 private:
  // Posts the cached GPS state when it changed while tracking; on a timer-queue thread.
  void OnGPSNotificationTimer(uint32_t argument);
  // The no-fix state naming the current NMEA port; takes the NMEA port lock.
  GpsInfo NoFixGpsInfo();

  IHostNotificationSink* const notificationSink_;
  IHostTraceLog* const traceLog_;
  IPowerStateSource* const powerStateSource_;
  const int32_t traceCategory_;

  std::mutex openLock_;
  bool open_ = false;

  std::recursive_mutex infoLock_;
  CachedCellularInfo cachedInfo_{};

  std::mutex nmeaPortLock_;
  std::u16string nmeaPortName_;

  std::mutex gpsLock_;
  GpsInfo gpsInfo_;
  bool gpsInfoChanged_ = false;
  bool gpsTrackingActive_ = false;
  // Held by a timer callback from taking its copy until it has posted it; callbacks never wait for
  // it, StopGPSNotificationTimer does.
  std::mutex gpsPostLock_;

  CReadinessTracker readinessTracker_;

  // Held around the start and the whole stop of the queue; the queue has its own lock for items.
  std::mutex notificationQueueLock_;
  // Held by a post from listing its message until the event that delivers it is queued, so that Close
  // stops the queue only after a post that listed before the closing notification queued its event:
  // refused by a stopping queue, that event would take the closing notification down with it.
  std::mutex postLock_;
  // Before the queue, which may still delete events that use it when it goes.
  std::shared_ptr<PendingNotifications> pendingNotifications_;
  CWorkItemQueue notificationQueue_;

  std::unique_ptr<PCPowerStateObserver> powerStateObserver_;

  // Last member: its callback uses the members above, so it is closed before they go.
  std::unique_ptr<CMemberTimer<CCellularSDK>> gpsNotificationTimer_;
};
