#include "plugin/cellular_sdk_event.h"

#include <new>
#include <utility>

#include "plugin/cellular_sdk.h"
#include "vesk/notifications.h"

namespace {

void Release(const std::vector<WanSdkMessage>& messages, std::size_t from) {
  for (std::size_t i = from; i < messages.size(); ++i) {
    ReleaseNotificationPayload(messages[i].code, messages[i].param1);
  }
}

}  // namespace

PendingNotifications::~PendingNotifications() {
  Release(messages_, 0);
}

PendingNotifications::Added PendingNotifications::Add(const WanSdkMessage& message) {
  return Append(message, Stream::kKeep);
}

PendingNotifications::Added PendingNotifications::AddOpening(const WanSdkMessage& message) {
  return Append(message, Stream::kOpen);
}

PendingNotifications::Added PendingNotifications::AddClosing(const WanSdkMessage& message) {
  return Append(message, Stream::kClose);
}

PendingNotifications::Added PendingNotifications::Append(const WanSdkMessage& message, Stream stream) {
  {
    std::lock_guard<std::mutex> lock(lock_);
    if (stream == Stream::kOpen) {
      closed_ = false;
    }
    const bool listed = !closed_ && TryPush(message);
    if (stream == Stream::kClose) {
      closed_ = true;
    }
    if (listed) {
      return messages_.size() == 1 ? Added::kFirst : Added::kBehind;
    }
  }
  ReleaseNotificationPayload(message.code, message.param1);
  return Added::kDropped;
}

bool PendingNotifications::TryPush(const WanSdkMessage& message) {
  try {
    messages_.push_back(message);
    return true;
  } catch (const std::bad_alloc&) {
    return false;  // lost, as a queue item that could not be made was
  }
}

uint64_t PendingNotifications::Take(std::vector<WanSdkMessage>& run) {
  std::lock_guard<std::mutex> lock(lock_);
  run.swap(messages_);
  messages_.swap(spare_);
  return discards_.load(std::memory_order_relaxed);
}

void PendingNotifications::Recycle(std::vector<WanSdkMessage>&& run) {
  run.clear();
  std::lock_guard<std::mutex> lock(lock_);
  if (run.capacity() > spare_.capacity()) {
    spare_.swap(run);
  }
}

void PendingNotifications::DropListed() {
  // Freed outside the lock.
  std::vector<WanSdkMessage> dropped;
  {
    std::lock_guard<std::mutex> lock(lock_);
    dropped.swap(messages_);
  }
  Release(dropped, 0);
}

void PendingNotifications::Discard() {
  discards_.fetch_add(1, std::memory_order_release);
  DropListed();
}

CCellularSDKEvent::CCellularSDKEvent(CCellularSDK* owner, std::shared_ptr<PendingNotifications> pending)
    : owner_(owner), pending_(std::move(pending)) {}

CCellularSDKEvent::~CCellularSDKEvent() {
  if (!ran_ && pending_) {
    pending_->DropListed();
  }
}

void CCellularSDKEvent::Execute() {
  if (owner_ == nullptr || !pending_) {
    return;  // the destructor drops the listed messages
  }
  ran_ = true;
  std::vector<WanSdkMessage> run;
  const uint64_t discards = pending_->Take(run);
  for (std::size_t i = 0; i < run.size(); ++i) {
    if (pending_->discards() != discards) {
      Release(run, i);
      break;
    }
    // The host owns the payload from here on, even if its sink ignores it.
    owner_->ProcessWanSdkMessage(run[i]);
  }
  pending_->Recycle(std::move(run));
}
