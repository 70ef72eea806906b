// A whole simulated world as a scenario file describes it: the modems, the simulator's timing, the
// faults and delays in force from the start, and a timeline of events.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/modem_model.h"
#include "sim/replay.h"

namespace vesksim {

struct Timing {
  uint32_t authenticateMs = 200;    // StartDataSession -> authenticating
  uint32_t connectMs = 1000;        // StartDataSession -> connected
  uint32_t stopMs = 200;            // StopDataSession -> disconnected
  uint32_t restartMs = 4000;        // a reset modem is gone for this long
  uint32_t activationStepMs = 500;  // between activation progress reports
  uint32_t nmeaMs = 1000;           // between NMEA sentences
  uint32_t reconnectMs = 2000;      // autoconnect's new start after a session the modem lost
};

enum class EventKind {
  kSignal,    // dbm, interface
  kRoaming,   // indicator
  kDataCaps,  // list
  kSession,   // state, end reason
  kPower,     // mode
  kRemoved,
  kReturned,
  kSms,         // storage, pdus (one per stored message)
  kNmea,        // text
  kActivation,  // state
  kByteTotals,  // tx, rx
};

struct Event {
  EventKind kind = EventKind::kSignal;
  std::vector<int64_t> numbers;
  std::vector<std::vector<uint8_t>> pdus;
  std::string text;
};

struct TimedEvent {
  uint32_t atMs = 0;  // after the scenario was loaded
  Event event;
};

struct Fault {
  uint32_t result = 0;
  uint32_t times = 0;  // UINT32_MAX: every call
};

struct Scenario {
  std::vector<Modem> modems{DefaultModem()};
  Timing timing;
  std::map<std::string, Fault> faults;
  std::map<std::string, uint32_t> delays;  // UINT32_MAX blocks until released
  std::vector<TimedEvent> timeline;
  uint8_t nextSmsReference = 1;  // of the next long message written as text
  ReplaySettings replay;          // a replay when replay.file is set
};

}  // namespace vesksim
