#include "plugin/cellular_sdk.h"

#include <new>

#include "plugin/cellular_sdk_event.h"
#include "plugin/notification_names.h"
#include "plugin/pc_power_state_observer.h"
#include "trace/scope_trace.h"
#include "trace/trace.h"
#include "vesk/notifications.h"

CCellularSDK::CCellularSDK(IHostNotificationSink* notificationSink, IHostTraceLog* traceLog,
                           IPowerStateSource* powerStateSource)
    : notificationSink_(notificationSink),
      traceLog_(traceLog),
      powerStateSource_(powerStateSource),
      traceCategory_(kTraceCategory),
      pendingNotifications_(std::make_shared<PendingNotifications>()),
      powerStateObserver_(std::make_unique<PCPowerStateObserver>(this)) {
  gpsNotificationTimer_.reset(new (std::nothrow)
                                  CMemberTimer<CCellularSDK>(this, &CCellularSDK::OnGPSNotificationTimer));
  if (gpsNotificationTimer_ == nullptr || !gpsNotificationTimer_->IsValid()) {
    // Usable without GPS notifications: starting them fails later.
    TraceWideMessage(traceLog_, traceCategory_, kTraceLevelError,
                     u"    Failed to allocate GPS Notification timer");
  }
}

CCellularSDK::~CCellularSDK() {
  ScopeTrace scope(traceLog_, traceCategory_, "CCellularSDK::~CCellularSDK");
  // Waits for a running callback, which uses the members below; none can start afterwards.
  gpsNotificationTimer_.reset();
  powerStateSource_->UnregisterObserver(powerStateObserver_.get());
  std::lock_guard<std::mutex> lock(notificationQueueLock_);
  notificationQueue_.Stop(kNotificationStopTimeoutMs, nullptr);
  notificationQueue_.Clear();
  pendingNotifications_->Discard();
}

ISmithMicroSDK* CCellularSDK::GetSmithMicroSDK() {
  TraceWideMessage(traceLog_, traceCategory_, kTraceLevelInfo, u"    Cannot cast to ISmithMicroSDK");
  return nullptr;
}

IVeskSDK* CCellularSDK::GetVeskSDK() {
  TraceWideMessage(traceLog_, traceCategory_, kTraceLevelInfo, u"    Cannot cast to IVeskSDK");
  return nullptr;
}

ISierraVeskSDK* CCellularSDK::GetSierraVeskSDK() {
  TraceWideMessage(traceLog_, traceCategory_, kTraceLevelInfo, u"    Cannot cast to ISierraVeskSDK");
  return nullptr;
}

ISierraEmbVeskSDK* CCellularSDK::GetSierraEmbVeskSDK() {
  TraceWideMessage(traceLog_, traceCategory_, kTraceLevelInfo, u"    Cannot cast to ISierraEmbVeskSDK");
  return nullptr;
}

bool CCellularSDK::Open() {
  ScopeTrace scope(traceLog_, traceCategory_, "CCellularSDK::Open");
  if (IsOpen()) {
    TraceWideMessage(traceLog_, traceCategory_, kTraceLevelError, u"    SDK is already open");
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(notificationQueueLock_);
    if (!notificationQueue_.Start()) {
      TraceWideMessage(traceLog_, traceCategory_, kTraceLevelError, u"    Create notification thread failed");
      return false;
    }
  }
  PostNotification(WWAN_NOTIFICATION_SDK_INITIALIZING, 0, 0);
  if (!powerStateSource_->RegisterObserver(powerStateObserver_.get())) {
    // The notification thread keeps running: the host still receives what was queued.
    TraceWideMessage(traceLog_, traceCategory_, kTraceLevelError,
                     u"    Register power state observer failed");
    return false;
  }
  return true;
}

bool CCellularSDK::IsOpen() {
  std::lock_guard<std::mutex> lock(openLock_);
  return open_;
}

void CCellularSDK::SetOpenFlag(bool open) {
  std::lock_guard<std::mutex> lock(openLock_);
  open_ = open;
}

bool CCellularSDK::Close() {
  bool result = true;
  ScopeTrace scope(traceLog_, traceCategory_, "CCellularSDK::Close");
  // For good: a later Open does not bring GPS notifications back.
  if (gpsNotificationTimer_ != nullptr && !gpsNotificationTimer_->Close()) {
    TraceWideMessage(traceLog_, traceCategory_, kTraceLevelError,
                     u"    Could not close GPS notification timer");
  }
  if (!powerStateSource_->UnregisterObserver(powerStateObserver_.get())) {
    TraceWideMessage(traceLog_, traceCategory_, kTraceLevelInfo,
                     u"    Could not unregister PC Power State Observer");
    result = false;
  }
  PostNotification(WWAN_NOTIFICATION_DETACHED_FROM_DEVICE, 0, 0);
  PostNotification(WWAN_NOTIFICATION_SDK_CLOSED, 0, 0);
  {
    // A vendor callback that listed its notification before the closing one has queued its event by
    // now; every later post is dropped, so none is left to be refused by the stop.
    std::lock_guard<std::mutex> postsDone(postLock_);
  }

  bool stopped = false;
  {
    // The stop drains the queue, so the two notifications above reach the host before Close returns.
    std::lock_guard<std::mutex> lock(notificationQueueLock_);
    stopped = notificationQueue_.Stop(kNotificationStopTimeoutMs, nullptr);
    notificationQueue_.Clear();
    pendingNotifications_->Discard();
  }
  if (!stopped) {
    TraceWideMessage(traceLog_, traceCategory_, kTraceLevelInfo,
                     u"    Could not shut down notification thread");
    result = false;
  }
  return result;
}

bool CCellularSDK::StartGPSTracking() {
  return false;
}

bool CCellularSDK::StopGPSTracking() {
  return false;
}

bool CCellularSDK::PostNotification(int32_t code, uintptr_t param1, uintptr_t param2) noexcept {
  // Nothing may throw out of here: vendor callbacks post, and the payload must end either listed or
  // freed, never both and never neither.
  try {
    TraceWideMessage(traceLog_, traceCategory_, kTraceLevelInfo, u"    Enqueuing cellular SDK message '%ws'",
                     GetNotificationName(code));
  } catch (...) {
    // A line the trace could not take does not cost the host its notification.
  }
  // The post that finds no notification waiting queues the event that delivers every one listed
  // until it runs; a stopping queue deletes it, which frees their payloads.
  const WanSdkMessage message{code, param1, param2};
  using Added = PendingNotifications::Added;
  bool queued = false;
  {
    std::lock_guard<std::mutex> post(postLock_);
    const Added added = code == WWAN_NOTIFICATION_SDK_INITIALIZING ? pendingNotifications_->AddOpening(message)
                        : code == WWAN_NOTIFICATION_SDK_CLOSED     ? pendingNotifications_->AddClosing(message)
                                                                   : pendingNotifications_->Add(message);
    queued = added != Added::kDropped;
    if (added == Added::kFirst) {
      auto* event = new (std::nothrow) CCellularSDKEvent(this, pendingNotifications_);
      if (event == nullptr) {
        pendingNotifications_->DropListed();
        queued = false;
      } else {
        try {
          // A refused or failed enqueue deletes the event, which drops what it would have delivered.
          queued = notificationQueue_.Enqueue(event);
        } catch (...) {
          queued = false;
        }
      }
    }
  }

  // Derived notifications are queued right behind the one that caused them.
  uint32_t raise = 0;
  try {
    raise = readinessTracker_.Update(code, param1);
  } catch (...) {
    return queued;
  }
  if ((raise & CReadinessTracker::kRaiseInitComplete) != 0) {
    PostNotification(WWAN_NOTIFICATION_CELLULAR_INIT_COMPLETE, 0, 0);
  }
  if ((raise & CReadinessTracker::kRaiseReadyToConnect) != 0) {
    PostNotification(WWAN_NOTIFICATION_READY_TO_CONNECT, 0, 0);
  }
  return queued;
}

void CCellularSDK::ProcessWanSdkMessage(const WanSdkMessage& message) {
  ScopeTrace scope(traceLog_, traceCategory_, ScopeTrace::StaticName{"CCellularSDK::ProcessWanSdkMessage"});
  TraceWideMessage(traceLog_, traceCategory_, kTraceLevelVerbose,
                   u"    sending notification across plugin boundary [%ws, %p, %p]",
                   GetNotificationName(message.code), reinterpret_cast<void*>(message.param1),
                   reinterpret_cast<void*>(message.param2));
  notificationSink_->OnNotification(message.code, message.param1, message.param2);
}

void CCellularSDK::HandleEnterPCSleepMode() {}

void CCellularSDK::HandleExitPCSleepMode() {}
