// The joining of long messages on any sequence of parts, re-readings, overdue checks and clears: no
// part is lost or handed on twice, every whole message has its parts in order, and nothing is kept
// once handed on.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "sms/long_message_assembler.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
  }
}

void CheckWhole(const JoinedSms& whole) {
  Check(whole.parts >= 2 && whole.missing < whole.parts, "part counts");
  Check(!whole.locations.empty(), "no place to mark read");
  std::set<std::pair<uint32_t, uint32_t>> places;
  for (const SmsLocation& location : whole.locations) {
    Check(places.insert({location.storageType, location.messageIndex}).second, "a place listed twice");
  }
  // Each part's body is its sequence number as one character: the body must list them in order.
  char16_t last = 0;
  for (char16_t c : whole.body) {
    if (c < 0x20) {
      Check(c > last, "parts out of order");
      last = c;
    }
  }
}

}  // namespace

// Each operation is four bytes: what, and its arguments.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LongMessageAssembler assembler;
  int64_t now = 1'700'000'000;
  for (size_t i = 0; i + 4 <= size; i += 4) {
    const uint8_t op = data[i] % 8;
    const uint8_t a = data[i + 1];
    const uint8_t b = data[i + 2];
    const uint8_t c = data[i + 3];
    if (op < 5) {
      const uint8_t parts = static_cast<uint8_t>(2 + a % 5);
      const uint8_t sequence = static_cast<uint8_t>(1 + b % parts);
      SmsPart part{{c & 1u, static_cast<uint32_t>(c >> 1)},
                   (a & 0x80) != 0 ? u"VeskBank" : u"4915112345678",
                   std::u16string(1, static_cast<char16_t>(sequence)) + u"\u20ac",
                   now - (b >> 4) * 20000,
                   static_cast<uint16_t>((a >> 5) & 3),
                   parts,
                   sequence};
      if (const auto whole = assembler.Add(part, now)) {
        CheckWhole(*whole);
        Check(whole->missing == 0, "a whole message with a gap");
      }
    } else if (op == 5) {
      now += a * 1000;
      for (const JoinedSms& whole : assembler.TakeOverdue(now)) {
        CheckWhole(whole);
      }
    } else if (op == 6) {
      for (const JoinedSms& whole : assembler.TakeOverdueAfterSweep(now)) {
        CheckWhole(whole);
      }
    } else {
      assembler.Clear();
      Check(assembler.size() == 0, "clear kept a set");
    }
  }
  for (const JoinedSms& whole : assembler.TakeOverdue(now + 2 * LongMessageAssembler::kOverdueSeconds)) {
    CheckWhole(whole);
  }
  Check(assembler.size() == 0, "a set outlived every deadline");
  return 0;
}
