// The dashboard's events: every notification as one JSON text, numbered, kept in a bounded log that
// each Server-Sent Events stream reads from its own position. Publishing never waits for a reader.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace vesk_host {

class EventHub {
 public:
  struct Event {
    uint64_t id = 0;
    int32_t code = 0;
    std::chrono::steady_clock::time_point time;
    std::string data;  // one line of JSON
  };

  enum class WaitResult { kEvents, kTimedOut, kClosed };

  explicit EventHub(std::size_t capacity = 65536);
  EventHub(const EventHub&) = delete;
  EventHub& operator=(const EventHub&) = delete;

  // Any thread (the module's notification thread).
  void Publish(int32_t code, std::string data);

  // What a new stream needs to show the present state: the last signal samples of the window, every
  // message and GPS fix still kept and the latest other events. *next is where its live events start.
  std::vector<Event> Replay(std::chrono::steady_clock::duration signalWindow, std::size_t latest,
                            uint64_t* next) const;

  // Appends the events from id `next` on to *out and advances next, waiting up to timeout for one.
  // A reader that fell more than the capacity behind skips what was dropped (its next jumps).
  WaitResult WaitAfter(uint64_t* next, std::chrono::milliseconds timeout, std::vector<Event>* out);

  // Wakes every reader for good: the server is stopping.
  void Close();

  uint64_t NextId() const;

 private:
  const std::size_t capacity_;
  mutable std::mutex eventsLock_;
  std::condition_variable published_;
  std::deque<Event> events_;
  uint64_t nextId_ = 0;
  bool closed_ = false;
};

}  // namespace vesk_host
