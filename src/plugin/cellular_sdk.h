// The family-independent base of a cellular plug-in.
//
// It keeps the three host objects (never owned; all three must be non-null, the trace log may be
// null in tests), delivers notifications to the host on a notification thread of its own in posting
// order, derives the readiness notifications, and forwards PC sleep and resume to its own virtual
// handlers. A device manager derives from it (virtually) and completes ICellularSDK.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "netutil/work_item_queue.h"
#include "plugin/readiness_tracker.h"
#include "plugin/wan_sdk_message.h"
#include "vesk/host_interfaces.h"

class CCellularSDK : public virtual ICellularSDK {
 public:
  class PCPowerStateObserver;

  // How long Close and the destructor wait for the notification thread to deliver what is queued.
  static constexpr uint32_t kNotificationStopTimeoutMs = 10000;

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
  // Unregisters the power observer, queues detached and closed, and stops the notification thread
  // once everything queued has been delivered (or 10 s have passed).
  bool Close() override;
  bool StartGPSTracking() override;
  bool StopGPSTracking() override;
  bool IsGPSTrackingActive() override;

  // Queues one notification for the host; any thread, including the notification thread. The payload
  // in param1, if the code carries one, belongs to the queue from now on.
  void PostNotification(int32_t code, uintptr_t param1, uintptr_t param2);

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
  IHostNotificationSink* const notificationSink_;
  IHostTraceLog* const traceLog_;
  IPowerStateSource* const powerStateSource_;
  const int32_t traceCategory_;

  std::mutex openLock_;
  bool open_ = false;

  std::mutex gpsLock_;
  bool gpsTrackingActive_ = false;

  CReadinessTracker readinessTracker_;

  // Held around the start and the whole stop of the queue; the queue has its own lock for items.
  std::mutex notificationQueueLock_;
  CWorkItemQueue notificationQueue_;

  std::unique_ptr<PCPowerStateObserver> powerStateObserver_;
};
