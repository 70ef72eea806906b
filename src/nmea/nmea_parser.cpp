#include "nmea/nmea_parser.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "nmea/number_reader.h"
#include "trace/format_narrow.h"
#include "trace/scope_trace.h"

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.back())) {
    text.remove_suffix(1);
  }
  while (!text.empty() && IsSpace(text.front())) {
    text.remove_prefix(1);
  }
  return text;
}

// The XOR of all characters, eight at a time: the bytes of the folded word XOR to the same value.
unsigned Checksum(std::string_view text) {
  uint64_t word = 0;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t chunk;
    std::memcpy(&chunk, text.data() + i, sizeof chunk);
    word ^= chunk;
  }
  for (; i < text.size(); ++i) {
    word ^= static_cast<unsigned char>(text[i]);
  }
  word ^= word >> 32;
  word ^= word >> 16;
  word ^= word >> 8;
  return static_cast<unsigned>(word & 0xFF);
}

// Trace arguments for %hs must be zero-terminated; only rejection paths pay for the copy.
std::string Text(std::string_view text) {
  return std::string(text);
}

}  // namespace

NMEAParser::NMEAParser(IHostTraceLog* traceLog, int32_t category)
    : traceLog_(traceLog),
      category_(category),
      typeMap_{{"RMC", kRMC}, {"GGA", kGGA}, {"GNS", kGNS}},
      handlerMap_{{kRMC, &NMEAParser::ParseRMCData},
                  {kGGA, &NMEAParser::ParseGGAData},
                  {kGNS, &NMEAParser::ParseGNSData}} {
  fields_.reserve(32);
  // A checksum is one byte: its 256 texts are formatted once here rather than once per sentence.
  for (unsigned value = 0; value < checksumTexts_.size(); ++value) {
    FormatNarrow(checksumTexts_[value], "%02X", value);
  }
}

bool NMEAParser::ParseSentence(std::string_view sentence, GpsFix& fix, bool& noFix, bool& invalid,
                               int32_t& type) {
  ScopeTrace scope(traceLog_, category_, "NMEAParser::ParseSentence");
  noFix = false;
  invalid = false;
  type = GetTypeAndData(sentence, fields_);
  if (type == kInvalidSentence) {
    invalid = true;
    return false;
  }
  if (type == kUnknownType) {
    return false;
  }
  Handler handler = nullptr;
  for (const HandlerEntry& entry : handlerMap_) {
    if (entry.type == type) {
      handler = entry.handler;
    }
  }
  bool result = false;
  if (handler == nullptr) {
    TraceNarrowMessage(traceLog_, category_, kTraceLevelError, "Could not find NMEA type %d in map", type);
  } else {
    result = (this->*handler)(fields_, fix, noFix);
    if (!result && !noFix) {
      invalid = true;
    }
  }
  fields_.clear();  // they point into the caller's sentence
  return result;
}

int32_t NMEAParser::GetTypeAndData(std::string_view sentence, std::vector<std::string_view>& fields) {
  ScopeTrace scope(traceLog_, category_, "NMEAParser::GetTypeAndData");
  fields.clear();
  const std::string_view text = Trim(sentence);
  if (text.size() < 2 || text[0] != '$' || text[1] != 'G') {
    TraceNarrowMessage(traceLog_, category_, kTraceLevelVerbose, "NMEA sentence '%hs' does not start with $G",
                       Text(text).c_str());
    return kInvalidSentence;
  }
  if (text.size() < 6) {
    TraceNarrowMessage(traceLog_, category_, kTraceLevelWarning, "NMEA sentence '%hs' is too small",
                       Text(text).c_str());
    return kInvalidSentence;
  }

  std::string_view body = text;
  const std::size_t star = text.rfind('*');
  if (star != std::string_view::npos && star == text.size() - 3) {
    const std::string& expected = checksumTexts_[Checksum(text.substr(1, star - 1))];
    if (text.substr(star + 1) != expected) {
      TraceNarrowMessage(traceLog_, category_, kTraceLevelWarning,
                         "NMEA sentence '%hs' has invalid checksum, expected checksum '%hs'",
                         Text(text).c_str(), expected.c_str());
      return kInvalidSentence;
    }
    body = text.substr(0, star);
  }

  const std::size_t addressEnd = body.find(',');
  const std::string_view address = body.substr(0, addressEnd);
  if (address.size() < 6) {
    TraceNarrowMessage(traceLog_, category_, kTraceLevelVerbose,
                       "NMEA sentence '%hs' has a type that's too small and valid checksum",
                       Text(text).c_str());
    return kInvalidSentence;
  }
  const std::string_view name = address.substr(3);
  int32_t type = kUnknownType;
  for (const TypeEntry& entry : typeMap_) {
    if (entry.name == name) {
      type = entry.type;
    }
  }
  if (type == kUnknownType) {
    TraceNarrowMessage(traceLog_, category_, kTraceLevelVerbose,
                       "NMEA sentence '%hs', unknown type and valid checksum", Text(text).c_str());
    return kUnknownType;
  }
  if (addressEnd != std::string_view::npos) {
    // Fields are a few characters long: a plain scan beats a library search per field.
    const char* const data = body.data();
    std::size_t start = addressEnd + 1;
    for (std::size_t i = start; i < body.size(); ++i) {
      if (data[i] == ',') {
        fields.emplace_back(data + start, i - start);
        start = i + 1;
      }
    }
    fields.emplace_back(data + start, body.size() - start);
  }
  return type;
}

bool NMEAParser::ParseRMCData(std::span<const std::string_view> fields, GpsFix& fix, bool& noFix) {
  ScopeTrace scope(traceLog_, category_, "NMEAParser::ParseRMCData");
  // 11 fields before NMEA 2.3, 12 with the mode indicator, 13 with the navigational status of 4.10.
  if (fields.size() < 11 || fields.size() > 13) {
    TraceNarrowMessage(traceLog_, category_, kTraceLevelWarning, "RMC message has invalid num parameters %d",
                       static_cast<int32_t>(fields.size()));
    return false;
  }
  if (fields[1] == "V") {
    noFix = true;
    return false;
  }
  if (!ParsePosition(fields.subspan(2, 4), fix)) {
    return false;
  }
  if (!fields[6].empty()) {
    double knots = 0.0;
    if (!nmea::ReadDouble(fields[6], knots)) {
      TraceNarrowMessage(traceLog_, category_, kTraceLevelWarning, "RMC Speed '%hs' has invalid format",
                         Text(fields[6]).c_str());
      return false;
    }
    fix.speed = knots * 1.852 * 1000 / 3600;
    fix.speedValid = true;
  }
  if (!fields[7].empty()) {
    double heading = 0.0;
    if (!nmea::ReadDouble(fields[7], heading)) {
      TraceNarrowMessage(traceLog_, category_, kTraceLevelWarning, "RMC Heading '%hs' has invalid format",
                         Text(fields[7]).c_str());
      return false;
    }
    fix.heading = heading;
    fix.headingValid = true;
  }
  return true;
}

bool NMEAParser::ParseGGAData(std::span<const std::string_view> fields, GpsFix& fix, bool& noFix) {
  ScopeTrace scope(traceLog_, category_, "NMEAParser::ParseGGAData");
  if (fields.size() != 14) {
    TraceNarrowMessage(traceLog_, category_, kTraceLevelWarning, "GGA message has invalid num parameters %d",
                       static_cast<int32_t>(fields.size()));
    return false;
  }
  if (fields[5] == "0") {
    noFix = true;
    return false;
  }
  if (!ParsePosition(fields.subspan(1, 4), fix)) {
    return false;
  }
  if (!ParseSatellites(fields[6], fix, "GGA Number of satellites '%hs' has invalid format",
                       "GGA Number of satellites '%hs' too high")) {
    return false;
  }
  double altitude = 0.0;
  if (nmea::ReadDouble(fields[8], altitude)) {
    fix.altitude = altitude;
    fix.altitudeValid = true;
    return true;
  }
  if (fields[8].empty()) {
    TraceNarrowMessage(traceLog_, category_, kTraceLevelVerbose, "GGA, No altitude, sometimes optional");
    return true;
  }
  TraceNarrowMessage(traceLog_, category_, kTraceLevelWarning, "GGA Altitude '%hs' has invalid format",
                     Text(fields[8]).c_str());
  return false;
}

bool NMEAParser::ParseGNSData(std::span<const std::string_view> fields, GpsFix& fix, bool& noFix) {
  ScopeTrace scope(traceLog_, category_, "NMEAParser::ParseGNSData");
  // 12 fields, or 13 with the navigational status that NMEA 4.10 appends (not a fix indicator).
  if (fields.size() != 12 && fields.size() != 13) {
    TraceNarrowMessage(traceLog_, category_, kTraceLevelWarning, "GNS message has invalid num parameters %d",
                       static_cast<int32_t>(fields.size()));
    return false;
  }
  // One mode character per satellite system; any system with a fix makes the sentence usable.
  if (fields[5].find_first_not_of("NS") == std::string_view::npos) {
    noFix = true;
    return false;
  }
  if (!ParsePosition(fields.subspan(1, 4), fix)) {
    return false;
  }
  if (!ParseSatellites(fields[6], fix, "GNS Number of satellites '%hs' has invalid format",
                       "GNS Number of satellites '%hs' too high")) {
    return false;
  }
  double altitude = 0.0;
  if (!nmea::ReadDouble(fields[8], altitude)) {
    TraceNarrowMessage(traceLog_, category_, kTraceLevelWarning, "GNS Altitude '%hs' has invalid format",
                       Text(fields[8]).c_str());
    return false;
  }
  fix.altitude = altitude;
  fix.altitudeValid = true;
  return true;
}

bool NMEAParser::ParseSatellites(std::string_view field, GpsFix& fix, const char* invalidMessage,
                                 const char* tooHighMessage) {
  uint32_t satellites = 0;
  if (!nmea::ReadUnsigned(field, satellites)) {
    TraceNarrowMessage(traceLog_, category_, kTraceLevelWarning, invalidMessage, Text(field).c_str());
    return false;
  }
  if (satellites > 255) {
    TraceNarrowMessage(traceLog_, category_, kTraceLevelWarning, tooHighMessage, Text(field).c_str());
    return false;
  }
  fix.satellites = static_cast<uint8_t>(satellites);
  fix.satellitesValid = true;
  return true;
}

bool NMEAParser::ParsePosition(std::span<const std::string_view> fields, GpsFix& fix) {
  // Latitude, its hemisphere, longitude, its hemisphere.
  if (!ParseLatitude(fields[1], fields[0], fix.latitude)) {
    return false;
  }
  fix.latitudeValid = true;
  if (!ParseLongitude(fields[3], fields[2], fix.longitude)) {
    return false;
  }
  fix.longitudeValid = true;
  return true;
}

bool NMEAParser::ParseLatitude(std::string_view hemisphere, std::string_view value, double& out) {
  return ParseCoordinate(hemisphere, value, out, true);
}

bool NMEAParser::ParseLongitude(std::string_view hemisphere, std::string_view value, double& out) {
  return ParseCoordinate(hemisphere, value, out, false);
}

bool NMEAParser::ParseCoordinate(std::string_view hemisphere, std::string_view value, double& out,
                                 bool latitude) {
  // ddmm.m... for a latitude, dddmm.m... for a longitude.
  const std::size_t degreeDigits = latitude ? 2 : 3;
  const auto trace = [&](const char* latitudeMessage, const char* longitudeMessage) {
    TraceNarrowMessage(traceLog_, category_, kTraceLevelWarning,
                       latitude ? latitudeMessage : longitudeMessage, Text(value).c_str());
  };
  if (value.size() < degreeDigits + 4) {
    trace("Latitude '%hs' is too small", "Longitude '%hs' is too small");
    return false;
  }
  if (value.find('.') != degreeDigits + 2) {
    trace("Latitude '%hs' has invalid decimal position", "Longitude '%hs' has invalid decimal position");
    return false;
  }
  int32_t degrees = 0;
  if (!nmea::ReadInt(value.substr(0, degreeDigits), degrees)) {
    trace("Latitude '%hs' has invalid degrees", "Longitude '%hs' has invalid degrees");
    return false;
  }
  double minutes = 0.0;
  if (!nmea::ReadDouble(value.substr(degreeDigits), minutes)) {
    trace("Latitude '%hs' has invalid minutes", "Longitude '%hs' has invalid minutes");
    return false;
  }
  // A fix off the globe would reach the host and its track files as if it were a position.
  const double magnitude = minutes / 60 + degrees;
  if (degrees < 0 || minutes < 0 || minutes >= 60 || magnitude > (latitude ? 90 : 180)) {
    trace("Latitude '%hs' is out of range", "Longitude '%hs' is out of range");
    return false;
  }
  const double sign = hemisphere == (latitude ? "N" : "E") ? 1.0 : -1.0;
  out = magnitude * sign;
  return true;
}
