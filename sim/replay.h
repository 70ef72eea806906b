// The replay of a recording: each call is answered with the recorded result and out-values of the
// call the recording has next, and the callbacks recorded after that call are due at their recorded
// distance from it. Calls from the module's several threads may come in another order than recorded,
// so a call is looked for among the next few recorded calls (the window), and among those recorded
// within the slack of the time it comes at, which is where a timer's polls are; one found in none of
// them is a divergence. A query the module repeats more often than recorded (a timer's poll that came
// once more because the replay ran slower) is answered as it was last answered, without its callbacks;
// a repeated action is still a divergence.
//
// Not thread-safe: the simulator calls it under its state lock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "facade/vendor_api.h"
#include "sim/modem_model.h"
#include "sim/recording/call_codec.h"
#include "sim/recording/recording.h"

namespace vesksim {

struct ReplaySettings {
  std::string file;
  int fileLine = 0;  // of the scenario's 'file' key
  bool stopOnDivergence = false;
  uint32_t divergenceResult = GENERAL_ERROR;
  double scale = 1.0;   // of the recorded times, on top of the simulator's clock
  uint32_t window = 32;  // recorded calls a call is looked for among
  uint32_t slackMs = 2000;  // and those recorded this close to its time (recorded time)
};

// The recorded call that answers a call, and whether it answers a repeat of it.
struct ReplayAnswer {
  size_t event = 0;
  bool repeat = false;
};

class Replay {
 public:
  Replay(veskrec::Recording recording, ReplaySettings settings);

  const ReplaySettings& settings() const { return settings_; }
  const veskrec::Recording& recording() const { return recording_; }

  // The recorded call that answers this one, made elapsedUs (recorded time) after the first; none on a
  // divergence, whose report (for the first call after a stop, or each call while going on) is put in
  // *divergence.
  std::optional<ReplayAnswer> Match(const char* entryPoint, const veskrec::Arg* args, size_t count, int64_t elapsedUs,
                              std::string* divergence);

  // The callbacks recorded after the call at index, up to the next call.
  std::vector<size_t> CallbacksAfter(size_t index) const;

  uint32_t divergences() const { return divergences_; }
  uint32_t repeats() const { return repeats_; }
  const std::string& lastDivergence() const { return lastDivergence_; }
  bool stopped() const { return stopped_; }

 private:
  veskrec::Recording recording_;
  ReplaySettings settings_;
  std::vector<bool> answered_;
  size_t next_ = 0;      // the first event not yet answered or passed
  uint64_t calls_ = 0;   // calls made so far
  uint32_t divergences_ = 0;
  uint32_t repeats_ = 0;
  std::string lastDivergence_;
  bool stopped_ = false;
};

// The image store a recording saw, rebuilt from its image queries: each folder it asked about, below
// the store, with the image it was told of (none where the query failed). Names that would leave the
// store are taken by their last part.
std::vector<ImageSpec> RecordedImages(const veskrec::Recording& recording);

// Loads the recording a scenario's [replay] names; on failure the reason.
std::optional<std::string> LoadRecording(const ReplaySettings& settings, veskrec::Recording& recording);

}  // namespace vesksim
