// A recording of the conversation between the module and a vendor library: every call with its
// parameters as they stood when it returned and its result, every callback with its data, and when
// each happened. Text, one event a line; docs/recording.md describes the format.
//
//   generation 2000
//   recorder 0.1.0
//   date 2026-12-07T07:40:12Z
//   0.000000 0.000010 call QCWWAN2kConnect "0" "key" -> 0
//   0.120400 callback SessionState 2 0
//
// The reader checks every line against the entry points' and callbacks' parameter counts, so that a
// replay can trust the shape of what it reads (never its sizes: those it checks against the caller's).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace veskrec {

inline constexpr const char* kRecorderVersion = "0.1.0";

// One parameter of a call, or one item of a callback's data.
struct Value {
  enum class Kind { kNumber, kNull, kText, kWideText, kSecret, kNumbers, kBytes };
  Kind kind = Kind::kNumber;
  int64_t number = 0;             // kNumber (pointer-sized values keep their 64 bits)
  std::string text;               // kText and kWideText (UTF-8)
  std::vector<int64_t> numbers;   // kNumbers: the elements of an array
  std::vector<uint8_t> bytes;     // kBytes: a byte buffer

  static Value Number(int64_t n);
  static Value Null();
  static Value Text(std::string text, bool wide = false);
  static Value Secret();
  static Value Numbers(std::vector<int64_t> numbers);
  static Value Bytes(std::vector<uint8_t> bytes);
};

struct Event {
  enum class Type { kCall, kCallback };
  Type type = Type::kCall;
  int64_t timeUs = 0;      // since the first event (a call's: when it returned)
  int64_t durationUs = 0;  // calls: how long the library took
  std::string name;        // an entry point, or a callback (SessionState, NMEA, ...)
  std::vector<Value> values;
  uint32_t result = 0;  // calls
  int line = 0;         // in the recording's text
};

struct Recording {
  uint32_t generation = 0;  // 1000 or 2000
  std::string recorderVersion;
  std::string date;
  std::vector<Event> events;
};

struct ReadError {
  int line = 0;  // 0: no error
  std::string message;
};

ReadError ReadRecording(std::string_view text, Recording& recording);

// The parameter count of an entry point or of a callback's data; -1 for an unknown name.
int EntryPointParameterCount(std::string_view name);
int CallbackValueCount(std::string_view name);

// Writing.
std::string FormatHeader(uint32_t generation, std::string_view date);
std::string FormatValue(const Value& value);
std::string FormatCall(int64_t timeUs, int64_t durationUs, std::string_view name, const std::vector<Value>& values,
                       uint32_t result);
std::string FormatCallback(int64_t timeUs, std::string_view name, const std::vector<Value>& values);
// "2026-12-07T07:40:12Z" for the current time.
std::string UtcNow();

}  // namespace veskrec
