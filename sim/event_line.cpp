#include "sim/event_line.h"

#include "sim/scenario_text.h"
#include "sim/sms_pdu.h"

namespace vesksim {
namespace {

// Reads every word as an integer within [low, high]; count words at least min and at most max.
bool Numbers(std::string_view value, size_t min, size_t max, int64_t low, int64_t high, Event& event,
             std::string* error) {
  const auto words = Words(value);
  if (words.size() < min || words.size() > max) {
    *error = "wrong number of values";
    return false;
  }
  for (std::string_view word : words) {
    const auto number = ParseInRange(word, low, high);
    if (!number) {
      *error = "bad number '" + std::string(word) + "'";
      return false;
    }
    event.numbers.push_back(*number);
  }
  return true;
}

}  // namespace

std::optional<Event> ParseEvent(std::string_view key, std::string_view value, uint8_t* smsReference,
                                std::string* error) {
  Event event;
  bool ok = false;
  if (key == "signal") {
    event.kind = EventKind::kSignal;
    ok = Numbers(value, 1, 2, -128, 127, event, error);
    if (ok && event.numbers.size() == 2 && event.numbers[1] < 0) {
      *error = "bad radio interface";
      ok = false;
    }
  } else if (key == "roaming") {
    event.kind = EventKind::kRoaming;
    ok = Numbers(value, 1, 1, 0, UINT32_MAX, event, error);
  } else if (key == "data_caps") {
    event.kind = EventKind::kDataCaps;
    ok = Numbers(value, 0, 255, 0, UINT32_MAX, event, error);
  } else if (key == "session") {
    event.kind = EventKind::kSession;
    ok = Numbers(value, 1, 2, 0, UINT32_MAX, event, error);
  } else if (key == "power") {
    event.kind = EventKind::kPower;
    ok = Numbers(value, 1, 1, 0, 6, event, error);
  } else if (key == "activation") {
    event.kind = EventKind::kActivation;
    ok = Numbers(value, 1, 1, 0, UINT32_MAX, event, error);
  } else if (key == "bytes") {
    event.kind = EventKind::kByteTotals;
    ok = Numbers(value, 2, 2, 0, INT64_MAX, event, error);
  } else if (key == "device") {
    ok = value == "removed" || value == "returned";
    event.kind = value == "removed" ? EventKind::kRemoved : EventKind::kReturned;
    if (!ok) {
      *error = "device is 'removed' or 'returned'";
    }
  } else if (key == "sms") {
    event.kind = EventKind::kSms;
    const size_t blank = value.find_first_of(" \t");
    const std::string_view storage = value.substr(0, blank);
    const std::string_view message = blank == std::string_view::npos ? "" : Trim(value.substr(blank));
    std::optional<std::vector<std::vector<uint8_t>>> pdus;
    if (storage != "sim" && storage != "device") {
      *error = "sms storage is 'sim' or 'device'";
    } else {
      pdus = ParseSmsMessage(message, smsReference, error);
    }
    if (pdus) {
      event.numbers.push_back(storage == "sim" ? 0 : 1);
      event.pdus = std::move(*pdus);
      ok = true;
    }
  } else if (key == "nmea") {
    event.kind = EventKind::kNmea;
    event.text = std::string(value);
    ok = !value.empty();
    if (!ok) {
      *error = "nmea needs a sentence";
    }
  } else {
    *error = "unknown event '" + std::string(key) + "'";
  }
  if (!ok) {
    return std::nullopt;
  }
  return event;
}

std::optional<Event> ParseEventLine(std::string_view line, uint8_t* smsReference, std::string* error) {
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    *error = "expected 'kind = arguments'";
    return std::nullopt;
  }
  return ParseEvent(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), smsReference, error);
}

}  // namespace vesksim
