// LongMessageAssembler: joins the parts of long (concatenated) SMS messages into whole messages.
//
// Parts stay unread on the modem until their whole message has been handed on, so the assembler
// only holds what was read since the last Clear: it is a cache of the modem's storage, and losing it
// (a detach, a crash) loses nothing, since the next sweep of unread messages reads every part again.
// A part read twice (by its callback and by a sweep, or stored twice) counts once, and every place it
// was read from is handed on, so that all of them are marked read.
//
// A set whose missing part never comes is handed on with a marker in place of each missing part once
// it is overdue: when this module first saw it more than a day ago, or, after a sweep has read every
// stored message, when its newest part was sent more than a day before. Not thread-safe: the caller
// serialises (the device manager holds its SMS lock).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

struct SmsLocation {
  uint32_t storageType = 0;
  uint32_t messageIndex = 0;
  bool operator==(const SmsLocation&) const = default;
};

// One decoded PDU that carries a part of a long message.
struct SmsPart {
  SmsLocation location;
  std::u16string sender;
  std::u16string body;
  int64_t time = 0;  // seconds since 1970, as the decoder gives it
  uint16_t reference = 0;
  uint8_t parts = 0;     // 2 to 255
  uint8_t sequence = 0;  // 1 to parts
};

struct JoinedSms {
  std::u16string sender;
  std::u16string body;
  int64_t time = 0;  // of the first part present
  uint8_t parts = 0;
  uint8_t missing = 0;                  // parts replaced by the marker
  std::vector<SmsLocation> locations;  // every place a part was read from, to mark read
};

class LongMessageAssembler {
 public:
  static constexpr int64_t kOverdueSeconds = 24 * 60 * 60;

  // Stands in for a missing part: "[part 2 of 3 missing]".
  static std::u16string MissingPartMarker(unsigned sequence, unsigned parts);

  // Adds part, read at now; the whole message when it was the last one missing.
  std::optional<JoinedSms> Add(const SmsPart& part, int64_t now);
  // The sets first seen more than a day before now, joined with markers.
  std::vector<JoinedSms> TakeOverdue(int64_t now);
  // After a sweep has read every stored message: also the sets whose newest part was sent more than a
  // day before now.
  std::vector<JoinedSms> TakeOverdueAfterSweep(int64_t now);
  // Forgets every part (the modem went away; its unread parts are read again after the next attach).
  void Clear() { sets_.clear(); }
  std::size_t size() const { return sets_.size(); }

 private:
  using Key = std::tuple<std::u16string, uint16_t, uint8_t>;  // sender, reference, parts
  struct Set {
    int64_t firstSeen = 0;
    std::map<uint8_t, SmsPart> parts;  // by sequence: in order
    std::vector<SmsLocation> locations;
  };
  static JoinedSms Join(const Key& key, Set& set);
  std::vector<JoinedSms> Take(int64_t now, bool byTimestamp);

  std::map<Key, Set> sets_;
};
