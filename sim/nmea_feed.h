// The sentences the simulated GPS reports, one per tick while tracking is on. A scenario may list its
// own; otherwise a receiver standing still reports RMC and GGA fixes whose time advances each tick.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vesksim {

// "$" + body + "*" + checksum + "\r\n".
std::string WithChecksum(std::string_view body);

class NmeaFeed {
 public:
  // An empty list gives the generated fixes.
  explicit NmeaFeed(std::vector<std::string> sentences = {});

  // The sentence for tick n (from 0), cycling through the list.
  std::string Sentence(uint64_t tick) const;

 private:
  std::vector<std::string> sentences_;
};

}  // namespace vesksim
