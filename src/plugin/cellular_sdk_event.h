// Notifications on their way to the host, and the work item of the plug-in's notification queue that
// delivers them.
//
// A post appends its message to a shared list; only the post that finds the list empty queues an
// event, which takes every message listed by the time it runs and delivers them in order. A burst so
// costs one work item for many notifications, with no allocation for each.
//
// Messages carry payloads (param1, for some codes) that belong to the list until they are handed to
// the host: messages dropped undelivered (their event deleted unrun, a discard) have them freed, so
// nothing leaks. The list is held by std::shared_ptr, since an abandoned notification worker may
// delete an event after its owner has gone.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "netutil/work_item.h"
#include "plugin/wan_sdk_message.h"

class CCellularSDK;

class PendingNotifications {
 public:
  ~PendingNotifications();

  enum class Added {
    kDropped,  // without memory for it, or while the stream is closed: its payload was freed
    kFirst,    // the list was empty: the caller queues an event for it
    kBehind,   // an event is on its way already
  };
  // Appends message.
  Added Add(const WanSdkMessage& message);
  // The host's stream ends with the closing notification and starts again with the opening one:
  // nothing is listed in between. Vendor callbacks may still post while a Close runs (when the
  // detach was refused); those posts are dropped, not delivered after the closing notification.
  // AddOpening lists message even while closed and opens the stream; AddClosing closes it.
  Added AddOpening(const WanSdkMessage& message);
  Added AddClosing(const WanSdkMessage& message);
  // Takes every listed message into run (which comes empty) and returns the discard count then.
  uint64_t Take(std::vector<WanSdkMessage>& run);
  // Gives back the storage of a delivered run, for the next one.
  void Recycle(std::vector<WanSdkMessage>&& run);
  // Frees the payloads of the listed messages, undelivered.
  void DropListed();
  // DropListed, and a delivery under way stops before its next message.
  void Discard();
  uint64_t discards() const { return discards_.load(std::memory_order_acquire); }

 private:
  enum class Stream { kKeep, kOpen, kClose };
  Added Append(const WanSdkMessage& message, Stream stream);
  bool TryPush(const WanSdkMessage& message);  // lock_ held

  std::mutex lock_;
  std::vector<WanSdkMessage> messages_;
  std::vector<WanSdkMessage> spare_;
  std::atomic<uint64_t> discards_{0};
  bool closed_ = false;  // between a closing and an opening notification
};

class CCellularSDKEvent final : public CWorkItem {
 public:
  CCellularSDKEvent(CCellularSDK* owner, std::shared_ptr<PendingNotifications> pending);
  // Unrun (queue cleared or stopping, worker ending): drops the listed messages.
  ~CCellularSDKEvent() override;
  CCellularSDKEvent(const CCellularSDKEvent&) = delete;
  CCellularSDKEvent& operator=(const CCellularSDKEvent&) = delete;

  // Delivers the listed messages to the host through the owner (on the notification thread).
  void Execute() override;

 private:
  CCellularSDK* owner_;
  std::shared_ptr<PendingNotifications> pending_;
  bool ran_ = false;
};
