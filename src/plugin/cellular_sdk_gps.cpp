// CCellularSDK: the cached GPS state and the timer that reports its changes to the host.
#include <new>

#include "nmea/gps_fix.h"
#include "plugin/cellular_sdk.h"
#include "trace/scope_trace.h"
#include "trace/trace.h"
#include "vesk/notifications.h"

namespace {

// Stores a value that came with a valid flag when it differs; true when that is a change.
bool MergeValue(double& cached, uint8_t& cachedValid, bool valid, double value) {
  if (!valid || value == cached) {
    return false;
  }
  cached = value;
  cachedValid = 1;
  return true;
}

bool MergeSatellites(GpsInfo& cached, bool valid, uint8_t satellites) {
  if (!valid || satellites == cached.satellites) {
    return false;
  }
  cached.satellites = satellites;
  cached.satellitesValid = 1;
  return true;
}

bool MergePosition(double& cached, bool valid, double value) {
  if (!valid || value == cached) {
    return false;
  }
  cached = value;
  return true;
}

}  // namespace

GpsInfo CCellularSDK::NoFixGpsInfo() {
  GpsInfo info;  // default-constructed: no fix, every value unknown
  info.sourceText = GetNmeaPortName();
  return info;
}

void CCellularSDK::UpdateCachedGPSInfo(const GpsFix& fix) {
  std::lock_guard<std::mutex> lock(gpsLock_);
  bool changed = false;
  changed |= MergePosition(gpsInfo_.latitude, fix.latitudeValid, fix.latitude);
  changed |= MergePosition(gpsInfo_.longitude, fix.longitudeValid, fix.longitude);
  changed |= MergeValue(gpsInfo_.heading, gpsInfo_.headingValid, fix.headingValid, fix.heading);
  changed |= MergeValue(gpsInfo_.speed, gpsInfo_.speedValid, fix.speedValid, fix.speed);
  changed |= MergeValue(gpsInfo_.altitude, gpsInfo_.altitudeValid, fix.altitudeValid, fix.altitude);
  changed |= MergeSatellites(gpsInfo_, fix.satellitesValid, fix.satellites);
  if (changed) {
    gpsInfo_.hasFix = 1;
    gpsInfoChanged_ = true;
  }
}

void CCellularSDK::UpdateCachedGPSInfo(const GpsInfo& info) {
  std::lock_guard<std::mutex> lock(gpsLock_);
  if (info.hasFix == 0) {
    if (gpsInfo_.hasFix != 0) {
      gpsInfo_ = NoFixGpsInfo();
      gpsInfoChanged_ = true;
    }
    return;
  }
  bool changed = false;
  if (gpsInfo_.hasFix == 0) {
    gpsInfo_.hasFix = 1;
    changed = true;
  }
  changed |= MergePosition(gpsInfo_.latitude, true, info.latitude);
  changed |= MergePosition(gpsInfo_.longitude, true, info.longitude);
  changed |= MergeValue(gpsInfo_.heading, gpsInfo_.headingValid, info.headingValid != 0, info.heading);
  changed |= MergeValue(gpsInfo_.speed, gpsInfo_.speedValid, info.speedValid != 0, info.speed);
  changed |= MergeValue(gpsInfo_.altitude, gpsInfo_.altitudeValid, info.altitudeValid != 0, info.altitude);
  changed |= MergeSatellites(gpsInfo_, info.satellitesValid != 0, info.satellites);
  if (changed) {
    gpsInfoChanged_ = true;
  }
}

bool CCellularSDK::StartGPSNotificationTimer() {
  ScopeTrace scope(traceLog_, traceCategory_, "CCellularSDK::StartGPSNotificationTimer");
  {
    std::lock_guard<std::mutex> lock(gpsLock_);
    gpsInfoChanged_ = false;
    gpsInfo_ = NoFixGpsInfo();
    gpsTrackingActive_ = true;
  }
  if (gpsNotificationTimer_ == nullptr ||
      !gpsNotificationTimer_->Start(kGPSNotificationPeriodMs, kGPSNotificationPeriodMs)) {
    TraceWideMessage(traceLog_, traceCategory_, kTraceLevelError, u"    Could not start gps timer");
    return false;
  }
  return true;
}

bool CCellularSDK::StopGPSNotificationTimer() {
  ScopeTrace scope(traceLog_, traceCategory_, "CCellularSDK::StopGPSNotificationTimer");
  {
    std::lock_guard<std::mutex> lock(gpsLock_);
    gpsTrackingActive_ = false;
  }
  // An expiry that copied the state before the flag was cleared posts after letting go of the GPS
  // lock; waiting for its post means nothing reaches the host once Stop has returned.
  { std::lock_guard<std::mutex> posting(gpsPostLock_); }
  if (gpsNotificationTimer_ == nullptr || !gpsNotificationTimer_->Stop()) {
    TraceWideMessage(traceLog_, traceCategory_, kTraceLevelError, u"    Could not stop gps timer");
    return false;
  }
  return true;
}

bool CCellularSDK::IsGPSTrackingActive() {
  std::lock_guard<std::mutex> lock(gpsLock_);
  return gpsTrackingActive_;
}

void CCellularSDK::OnGPSNotificationTimer(uint32_t /*argument*/) {
  // Expiries may overlap; one that finds another still posting leaves the change for the next tick,
  // so the host never receives an older state after a newer one.
  std::unique_lock<std::mutex> posting(gpsPostLock_, std::try_to_lock);
  if (!posting.owns_lock()) {
    return;
  }
  GpsInfo* copy = nullptr;
  {
    std::lock_guard<std::mutex> lock(gpsLock_);
    if (!gpsTrackingActive_ || !gpsInfoChanged_) {
      return;
    }
    try {
      copy = new GpsInfo(gpsInfo_);
    } catch (const std::bad_alloc&) {
      copy = nullptr;  // the host is still told that the position changed
    }
    gpsInfoChanged_ = false;
  }
  // The host owns the copy once it is delivered; the queue frees it if it never is.
  PostNotification(WWAN_NOTIFICATION_GPS_INFO_CHANGED, reinterpret_cast<uintptr_t>(copy), 0);
}
