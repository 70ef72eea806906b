#include "sim/nmea_feed.h"

#include <cstdio>
#include <utility>

namespace vesksim {

std::string WithChecksum(std::string_view body) {
  uint8_t sum = 0;
  for (char c : body) {
    sum ^= static_cast<uint8_t>(c);
  }
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  // Appended: a literal + a temporary string draws a false -Wrestrict from GCC 12 at -O3.
  std::string sentence = "$";
  sentence += body;
  sentence += tail;
  return sentence;
}

NmeaFeed::NmeaFeed(std::vector<std::string> sentences) : sentences_(std::move(sentences)) {}

std::string NmeaFeed::Sentence(uint64_t tick) const {
  if (!sentences_.empty()) {
    return sentences_[tick % sentences_.size()];
  }
  // RMC and GGA take turns; the fix time moves on a second per tick.
  const uint64_t second = tick;
  const unsigned hh = static_cast<unsigned>(12 + second / 3600 % 12);
  const unsigned mm = static_cast<unsigned>(second / 60 % 60);
  const unsigned ss = static_cast<unsigned>(second % 60);
  char body[128];
  if (tick % 2 == 0) {
    std::snprintf(body, sizeof body, "GPRMC,%02u%02u%02u.00,A,4807.0380,N,01131.0000,E,0.0,0.0,120509,,,A",
                  hh, mm, ss);
  } else {
    std::snprintf(body, sizeof body,
                  "GPGGA,%02u%02u%02u.00,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,", hh, mm, ss);
  }
  return WithChecksum(body);
}

}  // namespace vesksim
