// The sentences the simulated GPS reports while tracking is on. A scenario may list its own sentences,
// sent one per tick; otherwise the receiver follows a track of points (the scenario's, or a built-in
// loop) and reports each point as an RMC, a GGA and a GNS sentence in one tick.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vesksim {

struct TrackPoint {
  double latitude = 0.0;   // degrees, north positive
  double longitude = 0.0;  // degrees, east positive
  double altitude = 0.0;   // metres
  uint32_t satellites = 8;
};

// "$" + body + "*" + checksum + "\r\n".
std::string WithChecksum(std::string_view body);

// A small loop walked one point per tick, so that a host sees the position move.
const std::vector<TrackPoint>& BuiltInTrack();

class NmeaFeed {
 public:
  // sentences, when not empty, are sent in turn; else the points of track (empty: the built-in one).
  // periodMs is the time between ticks, which sets the fix times and the speed between points.
  NmeaFeed(const std::vector<std::string>& sentences, const std::vector<TrackPoint>& track, uint32_t periodMs);

  // What tick n (from 0) reports.
  std::vector<std::string> Sentences(uint64_t tick) const;

 private:
  const std::vector<std::string>& sentences_;
  const std::vector<TrackPoint>& track_;
  uint32_t periodMs_;
};

}  // namespace vesksim
