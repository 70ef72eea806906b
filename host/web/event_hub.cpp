#include "host/web/event_hub.h"

#include <utility>

#include "vesk/notifications.h"

namespace vesk_host {

EventHub::EventHub(std::size_t capacity) : capacity_(capacity) {}

void EventHub::Publish(int32_t code, std::string data) {
  {
    const std::lock_guard<std::mutex> lock(eventsLock_);
    events_.push_back({nextId_++, code, std::chrono::steady_clock::now(), std::move(data)});
    if (events_.size() > capacity_) {
      events_.pop_front();
    }
  }
  published_.notify_all();
}

std::vector<EventHub::Event> EventHub::Replay(std::chrono::steady_clock::duration signalWindow, std::size_t latest,
                                              uint64_t* next) const {
  const std::lock_guard<std::mutex> lock(eventsLock_);
  const auto since = std::chrono::steady_clock::now() - signalWindow;
  const uint64_t latestFrom = nextId_ > latest ? nextId_ - latest : 0;
  std::vector<Event> replay;
  for (const Event& event : events_) {
    const bool kept = event.code == WWAN_NOTIFICATION_SMS_EVENT || event.code == WWAN_NOTIFICATION_GPS_INFO_CHANGED ||
                      (event.code == WWAN_NOTIFICATION_RSSI && event.time >= since) || event.id >= latestFrom;
    if (kept) {
      replay.push_back(event);
    }
  }
  *next = nextId_;
  return replay;
}

EventHub::WaitResult EventHub::WaitAfter(uint64_t* next, std::chrono::milliseconds timeout, std::vector<Event>* out) {
  std::unique_lock<std::mutex> lock(eventsLock_);
  if (!published_.wait_for(lock, timeout, [&] { return closed_ || nextId_ > *next; })) {
    return WaitResult::kTimedOut;
  }
  if (closed_) {
    return WaitResult::kClosed;
  }
  const uint64_t first = events_.empty() ? nextId_ : events_.front().id;
  if (*next < first) {
    *next = first;
  }
  for (auto it = events_.begin() + static_cast<std::ptrdiff_t>(*next - first); it != events_.end(); ++it) {
    out->push_back(*it);
  }
  *next = nextId_;
  return WaitResult::kEvents;
}

void EventHub::Close() {
  {
    const std::lock_guard<std::mutex> lock(eventsLock_);
    closed_ = true;
  }
  published_.notify_all();
}

uint64_t EventHub::NextId() const {
  const std::lock_guard<std::mutex> lock(eventsLock_);
  return nextId_;
}

}  // namespace vesk_host
