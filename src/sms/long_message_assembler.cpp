#include "sms/long_message_assembler.h"

#include <algorithm>
#include <string>

namespace {

std::u16string Decimal(unsigned value) {
  const std::string text = std::to_string(value);
  return {text.begin(), text.end()};
}

}  // namespace

std::u16string LongMessageAssembler::MissingPartMarker(unsigned sequence, unsigned parts) {
  return u"[part " + Decimal(sequence) + u" of " + Decimal(parts) + u" missing]";
}

std::optional<JoinedSms> LongMessageAssembler::Add(const SmsPart& part, int64_t now) {
  const Key key{part.sender, part.reference, part.parts};
  auto [it, added] = sets_.try_emplace(key);
  Set& set = it->second;
  if (added) {
    set.firstSeen = now;
  }
  if (std::find(set.locations.begin(), set.locations.end(), part.location) == set.locations.end()) {
    set.locations.push_back(part.location);
  }
  set.parts.try_emplace(part.sequence, part);  // a part read again keeps its first reading
  if (set.parts.size() < part.parts) {
    return std::nullopt;
  }
  JoinedSms whole = Join(key, set);
  sets_.erase(it);
  return whole;
}

std::vector<JoinedSms> LongMessageAssembler::TakeOverdue(int64_t now) {
  return Take(now, false);
}

std::vector<JoinedSms> LongMessageAssembler::TakeOverdueAfterSweep(int64_t now) {
  return Take(now, true);
}

std::vector<JoinedSms> LongMessageAssembler::Take(int64_t now, bool byTimestamp) {
  std::vector<JoinedSms> overdue;
  for (auto it = sets_.begin(); it != sets_.end();) {
    int64_t newest = it->second.firstSeen;
    if (byTimestamp) {
      newest = 0;
      for (const auto& [sequence, part] : it->second.parts) {
        newest = std::max(newest, part.time);
      }
    }
    const bool seenLongAgo = now - it->second.firstSeen > kOverdueSeconds;
    if (seenLongAgo || now - newest > kOverdueSeconds) {
      overdue.push_back(Join(it->first, it->second));
      it = sets_.erase(it);
    } else {
      ++it;
    }
  }
  return overdue;
}

JoinedSms LongMessageAssembler::Join(const Key& key, Set& set) {
  JoinedSms whole;
  whole.sender = std::get<0>(key);
  whole.parts = std::get<2>(key);
  whole.time = set.parts.begin()->second.time;
  whole.locations = std::move(set.locations);
  for (unsigned sequence = 1; sequence <= whole.parts; ++sequence) {
    const auto part = set.parts.find(static_cast<uint8_t>(sequence));
    if (part != set.parts.end()) {
      whole.body += part->second.body;
    } else {
      whole.body += MissingPartMarker(sequence, whole.parts);
      ++whole.missing;
    }
  }
  return whole;
}
