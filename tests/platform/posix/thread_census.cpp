// This file must contain only POSIX code.
#include "platform/posix/thread_census.h"

#include <dirent.h>

#include <fstream>
#include <memory>
#include <string>

namespace platform::test {

std::map<int, std::pair<char, uint64_t>> ThreadCensus() {
  std::map<int, std::pair<char, uint64_t>> census;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir("/proc/self/task"), closedir);
  while (const dirent* entry = dir ? readdir(dir.get()) : nullptr) {
    std::ifstream status("/proc/self/task/" + std::string(entry->d_name) + "/status");
    std::pair<char, uint64_t> activity{'?', 0};
    for (std::string key; status >> key; status.ignore(4096, '\n')) {
      uint64_t switches = 0;
      if (key == "State:") {
        status >> activity.first;
      } else if (key.ends_with("voluntary_ctxt_switches:") && status >> switches) {
        activity.second += switches;
      }
    }
    if (entry->d_name[0] != '.' && activity.first != '?') {
      census[std::stoi(entry->d_name)] = activity;
    }
  }
  return census;
}

}  // namespace platform::test
