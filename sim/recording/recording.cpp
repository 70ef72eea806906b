#include "sim/recording/recording.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <initializer_list>

#include "facade/vendor_api.h"
#include "platform/calendar.h"

namespace veskrec {

namespace {

struct Named {
  const char* name;
  int count;
};

#define VESK_REC_COMMON(name, count) Named{#name, count},
#define VESK_REC_OWN(name, generation, exported, count) Named{#exported, count},
constexpr std::array kEntryPoints = {VESK_COMMON_ENTRY_POINTS(VESK_REC_COMMON)
                                         VESK_OWN_ENTRY_POINTS(VESK_REC_OWN)};
#undef VESK_REC_COMMON
#undef VESK_REC_OWN

constexpr std::array kCallbacks = {
    Named{"SessionState", 2}, Named{"ByteTotals", 2},       Named{"DataCapabilities", 2},
    Named{"ActivationStatus", 1}, Named{"RoamingIndicator", 1}, Named{"NewSMS", 2},
    Named{"SignalStrength", 2}, Named{"Power", 1},           Named{"DeviceRemoval", 0},
    Named{"NMEA", 1},           Named{"PDSState", 2},
};

template <size_t N>
int CountOf(const std::array<Named, N>& table, std::string_view name) {
  for (const Named& entry : table) {
    if (name == entry.name) {
      return entry.count;
    }
  }
  return -1;
}

// Built by appending: g++ 12 at -O3 warns falsely (-Wrestrict) on a literal assigned or prepended.
std::string Join(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (const std::string_view part : parts) {
    out.append(part);
  }
  return out;
}

void AppendQuoted(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7f) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  out += '"';
}

void AppendTime(std::string& out, int64_t us) {
  char buffer[32];
  if (us < 0) {
    us = 0;
  }
  std::snprintf(buffer, sizeof buffer, "%lld.%06lld", static_cast<long long>(us / 1000000),
                static_cast<long long>(us % 1000000));
  out += buffer;
}

// Reads the words of a line: blanks separate them, a quoted text is one word with its quotes.
class Scanner {
 public:
  explicit Scanner(std::string_view line) : rest_(line) {}

  bool AtEnd() {
    SkipBlanks();
    return rest_.empty();
  }

  // The next word, quotes kept; false at the end or at an unclosed quote.
  bool Next(std::string_view& word) {
    SkipBlanks();
    if (rest_.empty()) {
      return false;
    }
    size_t end = 0;
    const bool quoted = rest_[0] == '"' || (rest_.size() > 1 && rest_[0] == 'u' && rest_[1] == '"');
    if (quoted) {
      end = rest_[0] == 'u' ? 2 : 1;
      while (end < rest_.size() && rest_[end] != '"') {
        end += rest_[end] == '\\' ? 2 : 1;
      }
      if (end >= rest_.size()) {
        return false;
      }
      ++end;
    } else {
      while (end < rest_.size() && rest_[end] != ' ' && rest_[end] != '\t') {
        ++end;
      }
    }
    word = rest_.substr(0, end);
    rest_.remove_prefix(end);
    return true;
  }

 private:
  void SkipBlanks() {
    while (!rest_.empty() && (rest_[0] == ' ' || rest_[0] == '\t' || rest_[0] == '\r')) {
      rest_.remove_prefix(1);
    }
  }
  std::string_view rest_;
};

bool ParseInteger(std::string_view word, int64_t& out) {
  bool negative = false;
  if (!word.empty() && word[0] == '-') {
    negative = true;
    word.remove_prefix(1);
  }
  int base = 10;
  if (word.size() > 2 && word[0] == '0' && word[1] == 'x') {
    base = 16;
    word.remove_prefix(2);
  }
  uint64_t magnitude = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), magnitude, base);
  if (word.empty() || error != std::errc() || end != word.data() + word.size() ||
      (negative && magnitude > (uint64_t{1} << 63))) {
    return false;
  }
  out = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

bool ParseQuoted(std::string_view word, std::string& out) {
  if (word.size() < 2 || word.front() != '"' || word.back() != '"') {
    return false;
  }
  word = word.substr(1, word.size() - 2);
  for (size_t i = 0; i < word.size(); ++i) {
    if (word[i] != '\\') {
      out += word[i];
      continue;
    }
    if (++i >= word.size()) {
      return false;
    }
    if (word[i] == '"' || word[i] == '\\') {
      out += word[i];
    } else if (word[i] == 'x' && i + 2 < word.size() && HexDigit(word[i + 1]) >= 0 &&
               HexDigit(word[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(word[i + 1]) * 16 + HexDigit(word[i + 2]));
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

bool ParseValue(std::string_view word, Value& value) {
  if (word == "null") {
    value = Value::Null();
    return true;
  }
  if (word == "***") {
    value = Value::Secret();
    return true;
  }
  if (word.front() == '"' || word.front() == 'u') {
    const bool wide = word.front() == 'u';
    std::string text;
    if (!ParseQuoted(wide ? word.substr(1) : word, text)) {
      return false;
    }
    value = Value::Text(std::move(text), wide);
    return true;
  }
  if (word.front() == '[') {
    if (word.back() != ']') {
      return false;
    }
    std::vector<int64_t> numbers;
    std::string_view items = word.substr(1, word.size() - 2);
    while (!items.empty()) {
      const size_t comma = items.find(',');
      int64_t n = 0;
      if (!ParseInteger(items.substr(0, comma), n)) {
        return false;
      }
      numbers.push_back(n);
      items.remove_prefix(comma == std::string_view::npos ? items.size() : comma + 1);
      if (comma != std::string_view::npos && items.empty()) {
        return false;
      }
    }
    value = Value::Numbers(std::move(numbers));
    return true;
  }
  if (word.size() > 1 && word[0] == 'x' && word.size() % 2 == 1) {
    std::vector<uint8_t> bytes;
    for (size_t i = 1; i < word.size(); i += 2) {
      const int high = HexDigit(word[i]);
      const int low = HexDigit(word[i + 1]);
      if (high < 0 || low < 0) {
        return false;
      }
      bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    value = Value::Bytes(std::move(bytes));
    return true;
  }
  if (word == "x") {
    value = Value::Bytes({});
    return true;
  }
  int64_t n = 0;
  if (!ParseInteger(word, n)) {
    return false;
  }
  value = Value::Number(n);
  return true;
}

// "12.000345": seconds with up to six decimals.
bool ParseTime(std::string_view word, int64_t& us) {
  const size_t dot = word.find('.');
  const std::string_view whole = word.substr(0, dot);
  const std::string_view part = dot == std::string_view::npos ? std::string_view() : word.substr(dot + 1);
  auto digits = [](std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (whole.empty() || whole.size() > 9 || part.size() > 6 || !digits(whole) || !digits(part) ||
      (dot != std::string_view::npos && part.empty())) {
    return false;
  }
  int64_t seconds = 0;
  int64_t fraction = 0;
  for (const char c : whole) {
    seconds = seconds * 10 + (c - '0');
  }
  for (size_t i = 0; i < 6; ++i) {
    fraction = fraction * 10 + (i < part.size() ? part[i] - '0' : 0);
  }
  us = seconds * 1000000 + fraction;
  return true;
}

}  // namespace

Value Value::Number(int64_t n) {
  Value v;
  v.number = n;
  return v;
}

Value Value::Null() {
  Value v;
  v.kind = Kind::kNull;
  return v;
}

Value Value::Text(std::string text, bool wide) {
  Value v;
  v.kind = wide ? Kind::kWideText : Kind::kText;
  v.text = std::move(text);
  return v;
}

Value Value::Secret() {
  Value v;
  v.kind = Kind::kSecret;
  return v;
}

Value Value::Numbers(std::vector<int64_t> numbers) {
  Value v;
  v.kind = Kind::kNumbers;
  v.numbers = std::move(numbers);
  return v;
}

Value Value::Bytes(std::vector<uint8_t> bytes) {
  Value v;
  v.kind = Kind::kBytes;
  v.bytes = std::move(bytes);
  return v;
}

int EntryPointParameterCount(std::string_view name) {
  return CountOf(kEntryPoints, name);
}

int CallbackValueCount(std::string_view name) {
  return CountOf(kCallbacks, name);
}

std::string FormatHeader(uint32_t generation, std::string_view date) {
  return Join({"generation ", std::to_string(generation), "\nrecorder ", kRecorderVersion, "\ndate ", date,
               "\n# a Vesk vendor-library recording (docs/recording.md)\n"});
}

std::string FormatValue(const Value& value) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  switch (value.kind) {
    case Value::Kind::kNumber:
      out.append(std::to_string(value.number));
      break;
    case Value::Kind::kNull:
      out.append("null");
      break;
    case Value::Kind::kSecret:
      out.append("***");
      break;
    case Value::Kind::kText:
      AppendQuoted(out, value.text);
      break;
    case Value::Kind::kWideText:
      out.append("u");
      AppendQuoted(out, value.text);
      break;
    case Value::Kind::kNumbers:
      out.append("[");
      for (size_t i = 0; i < value.numbers.size(); ++i) {
        if (i > 0) {
          out += ',';
        }
        out.append(std::to_string(value.numbers[i]));
      }
      out += "]";
      break;
    case Value::Kind::kBytes:
      out.append("x");
      for (const uint8_t byte : value.bytes) {
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
      }
      break;
  }
  return out;
}

std::string FormatCall(int64_t timeUs, int64_t durationUs, std::string_view name, const std::vector<Value>& values,
                       uint32_t result) {
  std::string line;
  line.reserve(64);
  AppendTime(line, timeUs);
  line += ' ';
  AppendTime(line, durationUs);
  line += " call ";
  line += name;
  for (const Value& value : values) {
    line += ' ';
    line += FormatValue(value);
  }
  line += " -> ";
  line.append(std::to_string(result));
  line += '\n';
  return line;
}

std::string FormatCallback(int64_t timeUs, std::string_view name, const std::vector<Value>& values) {
  std::string line;
  AppendTime(line, timeUs);
  line += " callback ";
  line += name;
  for (const Value& value : values) {
    line += ' ';
    line += FormatValue(value);
  }
  line += '\n';
  return line;
}

std::string UtcNow() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm parts{};
  if (!platform::ToUtcTime(now, &parts)) {
    return "unknown";
  }
  char buffer[80];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02dZ", parts.tm_year + 1900, parts.tm_mon + 1,
                parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return buffer;
}

ReadError ReadRecording(std::string_view text, Recording& recording) {
  recording = Recording{};
  bool haveRecorder = false;
  bool haveDate = false;
  int lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);  // written or edited on Windows
    }
    Scanner scanner(line);
    std::string_view first;
    if (scanner.AtEnd() || (scanner.Next(first) && first.front() == '#')) {
      continue;
    }
    auto fail = [&](std::string message) { return ReadError{lineNumber, std::move(message)}; };
    if (first == "generation" || first == "recorder" || first == "date") {
      std::string_view word;
      if (!scanner.Next(word) || !scanner.AtEnd()) {
        return fail(Join({"'", first, "' takes one word"}));
      }
      if (first == "generation") {
        if (word != "1000" && word != "2000") {
          return fail("the generation is 1000 or 2000");
        }
        recording.generation = word == "1000" ? 1000 : 2000;
      } else if (first == "recorder") {
        recording.recorderVersion = std::string(word);
        haveRecorder = true;
      } else {
        recording.date = std::string(word);
        haveDate = true;
      }
      continue;
    }
    if (recording.generation == 0 || !haveRecorder || !haveDate) {
      return fail("a recording starts with its generation, recorder and date");
    }
    Event event;
    event.line = lineNumber;
    std::string_view word;
    if (!ParseTime(first, event.timeUs)) {
      return fail("expected a time in seconds");
    }
    if (!recording.events.empty() && event.timeUs < recording.events.back().timeUs) {
      return fail("time goes backwards");
    }
    if (!scanner.Next(word)) {
      return fail("expected 'call' or 'callback'");
    }
    if (word != "call" && word != "callback") {
      if (!ParseTime(word, event.durationUs) || !scanner.Next(word) || word != "call") {
        return fail("expected 'call' or 'callback'");
      }
    }
    event.type = word == "call" ? Event::Type::kCall : Event::Type::kCallback;
    if (!scanner.Next(word)) {
      return fail("expected a name");
    }
    event.name = std::string(word);
    const int count = event.type == Event::Type::kCall ? EntryPointParameterCount(word) : CallbackValueCount(word);
    if (count < 0) {
      return fail(Join({"unknown ", event.type == Event::Type::kCall ? "entry point" : "callback", " '", event.name,
                        "'"}));
    }
    while (scanner.Next(word) && word != "->") {
      Value value;
      if (!ParseValue(word, value)) {
        return fail(Join({"bad value '", word, "'"}));
      }
      event.values.push_back(std::move(value));
    }
    if (event.values.size() != static_cast<size_t>(count)) {
      return fail(Join({event.name, " has ", std::to_string(count), " values, not ",
                        std::to_string(event.values.size())}));
    }
    if (event.type == Event::Type::kCall) {
      int64_t result = 0;
      if (word != "->" || !scanner.Next(word) || !ParseInteger(word, result) || result < 0 ||
          result > UINT32_MAX || !scanner.AtEnd()) {
        return fail("a call ends with '-> RESULT'");
      }
      event.result = static_cast<uint32_t>(result);
    } else if (word == "->") {
      return fail("a callback has no result");
    }
    recording.events.push_back(std::move(event));
  }
  if (recording.generation == 0) {
    return {lineNumber + 1, "no generation: not a recording"};
  }
  return {};
}

}  // namespace veskrec
