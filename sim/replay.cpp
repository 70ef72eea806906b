#include "sim/replay.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string_view>
#include <utility>

namespace vesksim {

using veskrec::Event;

Replay::Replay(veskrec::Recording recording, ReplaySettings settings)
    : recording_(std::move(recording)), settings_(std::move(settings)), answered_(recording_.events.size()) {}

namespace {

bool IsQuery(std::string_view entryPoint) { return entryPoint.rfind("Get", 0) == 0; }

}  // namespace

std::optional<ReplayAnswer> Replay::Match(const char* entryPoint, const veskrec::Arg* args, size_t count,
                                    int64_t elapsedUs, std::string* divergence) {
  ++calls_;
  if (stopped_) {
    return std::nullopt;
  }
  const auto& events = recording_.events;
  std::optional<size_t> expected;
  uint32_t looked = 0;
  const int64_t slackUs = static_cast<int64_t>(settings_.slackMs) * 1000;
  for (size_t i = next_; i < events.size(); ++i) {
    if (events[i].type != Event::Type::kCall || answered_[i]) {
      continue;
    }
    const bool inWindow = looked < settings_.window;
    if (!inWindow && events[i].timeUs > elapsedUs + slackUs) {
      break;
    }
    if (!expected) {
      expected = i;
    }
    ++looked;
    if ((inWindow || events[i].timeUs >= elapsedUs - slackUs) && events[i].name == entryPoint &&
        veskrec::InputsMatch(args, count, events[i].values)) {
      answered_[i] = true;
      while (next_ < events.size() && (answered_[next_] || events[next_].type != Event::Type::kCall)) {
        ++next_;
      }
      return ReplayAnswer{i, false};
    }
  }
  if (IsQuery(entryPoint)) {
    for (size_t i = events.size(); i-- > 0;) {
      if (answered_[i] && events[i].name == entryPoint && veskrec::InputsMatch(args, count, events[i].values)) {
        ++repeats_;
        return ReplayAnswer{i, true};
      }
    }
  }
  ++divergences_;
  lastDivergence_ = "replay: call " + std::to_string(calls_) + " diverges: expected " +
                    (expected ? events[*expected].name + " (recording line " +
                                    std::to_string(events[*expected].line) + ")"
                              : std::string("the end of the recording")) +
                    ", got " + entryPoint + "; answered " + std::to_string(settings_.divergenceResult) +
                    (settings_.stopOnDivergence ? ", replay stopped" : "");
  stopped_ = settings_.stopOnDivergence;
  *divergence = lastDivergence_;
  return std::nullopt;
}

std::vector<size_t> Replay::CallbacksAfter(size_t index) const {
  std::vector<size_t> callbacks;
  for (size_t i = index + 1; i < recording_.events.size() && recording_.events[i].type == Event::Type::kCallback;
       ++i) {
    callbacks.push_back(i);
  }
  return callbacks;
}

namespace {

std::string FolderBelow(const std::string& store, std::string path) {
  for (char& c : path) {
    c = c == '\\' ? '/' : c;
  }
  std::string relative = !store.empty() && path.size() > store.size() + 1 && path.compare(0, store.size(), store) == 0 &&
                                 path[store.size()] == '/'
                             ? path.substr(store.size() + 1)
                             : path.substr(path.find_last_of('/') + 1);
  bool safe = !relative.empty() && relative.front() != '/';
  for (size_t start = 0; safe && start <= relative.size();) {
    const size_t end = std::min(relative.find('/', start), relative.size());
    const std::string part = relative.substr(start, end - start);
    safe = !part.empty() && part != "." && part != "..";
    start = end + 1;
  }
  if (!safe) {
    relative = path.substr(path.find_last_of('/') + 1);
  }
  return relative == "." || relative == ".." ? std::string() : relative;
}

}  // namespace

std::vector<ImageSpec> RecordedImages(const veskrec::Recording& recording) {
  using Kind = veskrec::Value::Kind;
  std::string store;
  std::vector<ImageSpec> images;
  for (const Event& event : recording.events) {
    if (event.type != Event::Type::kCall) {
      continue;
    }
    if (event.name == "GetImageStoreW" && event.result == 0 && event.values[1].kind == Kind::kWideText) {
      store = event.values[1].text;
      for (char& c : store) {
        c = c == '\\' ? '/' : c;
      }
      while (!store.empty() && store.back() == '/') {
        store.pop_back();
      }
    } else if (event.name == "GetImageInfoW" && event.values[0].kind == Kind::kWideText) {
      ImageSpec image;
      image.folder = FolderBelow(store, event.values[0].text);
      if (image.folder.empty() || std::any_of(images.begin(), images.end(), [&](const ImageSpec& known) {
            return known.folder == image.folder;
          })) {
        continue;
      }
      uint32_t numbers[5] = {};
      for (size_t i = 0; i < 5; ++i) {
        numbers[i] = event.values[i + 1].kind == Kind::kNumber ? static_cast<uint32_t>(event.values[i + 1].number) : 0;
      }
      image.hasImage = event.result == 0;
      image.info = {numbers[0], numbers[1], numbers[2], numbers[3], numbers[4]};
      images.push_back(std::move(image));
    }
  }
  return images;
}

std::optional<std::string> LoadRecording(const ReplaySettings& settings, veskrec::Recording& recording) {
  std::ifstream file(settings.file, std::ios::binary);
  std::stringstream text;
  if (!(file && text << file.rdbuf())) {
    return "cannot read the recording " + settings.file;
  }
  const veskrec::ReadError error = veskrec::ReadRecording(text.str(), recording);
  if (error.line != 0) {
    return settings.file + ":" + std::to_string(error.line) + ": " + error.message;
  }
  return std::nullopt;
}

}  // namespace vesksim
