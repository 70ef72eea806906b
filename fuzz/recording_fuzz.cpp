// The recording reader on any text: it reads a recording or names a line with a message; what it reads
// writes back as text that reads the same; the image store it rebuilds never leaves its folder.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sim/recording/recording.h"
#include "sim/replay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  veskrec::Recording recording;
  const veskrec::ReadError error = veskrec::ReadRecording(text, recording);
  if (error.line < 0 || (error.line > 0 && error.message.empty()) || (error.line == 0 && !error.message.empty())) {
    std::abort();
  }
  if (error.line != 0) {
    return 0;
  }
  std::string written = veskrec::FormatHeader(recording.generation, "2026-01-01T00:00:00Z");
  for (const veskrec::Event& event : recording.events) {
    written += event.type == veskrec::Event::Type::kCall
                   ? veskrec::FormatCall(event.timeUs, event.durationUs, event.name, event.values, event.result)
                   : veskrec::FormatCallback(event.timeUs, event.name, event.values);
  }
  veskrec::Recording again;
  if (veskrec::ReadRecording(written, again).line != 0 || again.events.size() != recording.events.size()) {
    std::abort();
  }
  for (size_t i = 0; i < again.events.size(); ++i) {
    for (size_t v = 0; v < again.events[i].values.size(); ++v) {
      if (veskrec::FormatValue(again.events[i].values[v]) != veskrec::FormatValue(recording.events[i].values[v])) {
        std::abort();
      }
    }
  }
  for (const vesksim::ImageSpec& image : vesksim::RecordedImages(recording)) {
    const std::string& folder = image.folder;
    if (folder.empty() || folder.front() == '/' || folder.back() == '/') {
      std::abort();
    }
    for (size_t start = 0; start < folder.size();) {
      const size_t end = std::min(folder.find('/', start), folder.size());
      const std::string_view part(folder.data() + start, end - start);
      if (part.empty() || part == "." || part == "..") {
        std::abort();
      }
      start = end + 1;
    }
  }
  return 0;
}
