#include "nmea/nmea_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "host/kit/recording_trace_log.h"

namespace {

// "$" + body + "*" + its checksum.
std::string Nmea(const std::string& body, bool lowerCase = false) {
  unsigned checksum = 0;
  for (char c : body) {
    checksum ^= static_cast<unsigned char>(c);
  }
  char digits[3];
  std::snprintf(digits, sizeof digits, lowerCase ? "%02x" : "%02X", checksum);
  return "$" + body + "*" + digits;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

const std::string kRmc = "GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W";
const std::string kGga = "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,";
const std::string kGns = "GNGNS,014035.00,4332.69262,S,17235.48549,E,RR,13,0.9,25.63,11.24,,";

using Value = std::optional<double>;
struct Expected {
  Value latitude, longitude, heading, speed, altitude;
  std::optional<int> satellites;
};

constexpr double kLat = 48.1173, kLon = 11.0 + 31.0 / 60, kSpeed = 22.4 * 1.852 / 3.6;
constexpr double kGnsLat = -(43 + 32.69262 / 60), kGnsLon = 172 + 35.48549 / 60;
const Expected kNone{};
const Expected kPosition{kLat, kLon, {}, {}, {}, {}};
const Expected kRmcFix{kLat, kLon, 84.4, kSpeed, {}, {}};
const Expected kGgaFix{kLat, kLon, {}, {}, 545.4, 8};
const Expected kGnsFix{kGnsLat, kGnsLon, {}, {}, 25.63, 13};

enum Outcome { kFix, kNoFix, kInvalid };

struct ParseCase {
  const char* name;
  std::string sentence;
  Outcome outcome;
  int32_t type;
  Expected fix;
  const char* line = nullptr;  // a message that must be written, at level
  int32_t level = 0;
};

// clang-format off
std::vector<ParseCase> Cases() {
  return {
      {"RmcExample", Nmea(kRmc), kFix, 2, kRmcFix},
      // Its checksum is 00, and a mode field makes the thirteen fields a sentence may have at most.
      {"RmcChecksumZeroWithMode", Nmea(Replace(kRmc, "123519", "000028") + ",A"), kFix, 2, kRmcFix},
      {"RmcLowerCaseChecksum", Nmea(kRmc, true), kInvalid, 0, kNone, "invalid checksum, expected checksum '6A'", 3},
      {"RmcBlanksAndLineEnd", " \t\v\f" + Nmea(kRmc) + "\r\n", kFix, 2, kRmcFix},
      {"RmcWithoutChecksum", "$" + kRmc, kFix, 2, kRmcFix},
      {"RmcFourteenFields", Nmea(kRmc + ",A,B,C"), kInvalid, 2, kNone, "RMC message has invalid num parameters 14", 3},
      {"RmcNoFields", Nmea("GPRMC"), kInvalid, 2, kNone, "RMC message has invalid num parameters", 3},
      {"RmcTenFields", Nmea(Replace(kRmc, ",003.1,W", ",W")), kInvalid, 2, kNone,
       "RMC message has invalid num parameters 10", 3},
      {"RmcNoSpeedNoCourse", Nmea(Replace(kRmc, "022.4,084.4", ",")), kFix, 2, kPosition},
      {"RmcBadSpeed", Nmea(Replace(kRmc, "022.4", "fast")), kInvalid, 2, kPosition,
       "RMC Speed 'fast' has invalid format", 3},
      {"RmcBadHeading", Nmea(Replace(kRmc, "084.4", "east")), kInvalid, 2, {kLat, kLon, {}, kSpeed, {}, {}},
       "RMC Heading 'east' has invalid format", 3},
      {"RmcEmptyHemispheres", Nmea(Replace(Replace(kRmc, ",N,", ",,"), ",E,", ",,")), kFix, 2,
       {-kLat, -kLon, 84.4, kSpeed, {}, {}}},
      {"LatitudeTooSmall", Nmea(Replace(kRmc, "4807.038", "4807.")), kInvalid, 2, kNone,
       "Latitude '4807.' is too small", 3},
      {"LatitudeDecimalPosition", Nmea(Replace(kRmc, "4807.038", "480.7038")), kInvalid, 2, kNone,
       "Latitude '480.7038' has invalid decimal position", 3},
      {"LatitudeOutOfRange", Nmea(Replace(kRmc, "4807.038", "9107.038")), kInvalid, 2, kNone,
       "Latitude '9107.038' is out of range", 3},
      {"LongitudeOutOfRange", Nmea(Replace(kRmc, "01131.000", "51217.167")), kInvalid, 2,
       {kLat, {}, {}, {}, {}, {}}, "Longitude '51217.167' is out of range", 3},
      {"NegativeDegrees", Nmea(Replace(kRmc, "4807.038", "-107.038")), kInvalid, 2, kNone,
       "Latitude '-107.038' is out of range", 3},
      {"NegativeMinutes", Nmea(Replace(kRmc, "4807.038", "48-7.038")), kInvalid, 2, kNone,
       "Latitude '48-7.038' is out of range", 3},
      {"SixtyMinutes", Nmea(Replace(kRmc, "4807.038", "4860.000")), kInvalid, 2, kNone,
       "Latitude '4860.000' is out of range", 3},
      {"NoDollar", kRmc, kInvalid, 0, kNone, "does not start with $G", 5},
      {"Proprietary", Nmea("PGRME,15.0,M,45.0,M,25.0,M"), kInvalid, 0, kNone, "does not start with $G", 5},
      {"TooSmall", "$GPRM", kInvalid, 0, kNone, "NMEA sentence '$GPRM' is too small", 3},
      {"ShortType", Nmea("GPRM,1"), kInvalid, 0, kNone, "has a type that's too small and valid checksum", 5},
      {"LatitudeDegrees", Nmea(Replace(kGga, "4807.038", "x807.038")), kInvalid, 3, kNone,
       "Latitude 'x807.038' has invalid degrees", 3},
      {"LongitudeMinutes", Nmea(Replace(kGns, "17235.48549", "172ab.48549")), kInvalid, 4,
       {kGnsLat, {}, {}, {}, {}, {}}, "Longitude '172ab.48549' has invalid minutes", 3},
      {"GgaExample", Nmea(kGga), kFix, 3, kGgaFix},
      {"GgaFixQualityZero", Nmea(Replace(kGga, ",1,08,", ",0,08,")), kNoFix, 3, kNone},
      {"GgaEmptyAltitude", Nmea(Replace(kGga, "545.4", "")), kFix, 3, {kLat, kLon, {}, {}, {}, 8},
       "GGA, No altitude, sometimes optional", 5},
      {"Gga300Satellites", Nmea(Replace(kGga, ",08,", ",300,")), kInvalid, 3, kPosition,
       "GGA Number of satellites '300' too high", 3},
      {"GgaThirteenFields", Nmea(kGga.substr(0, kGga.size() - 1)), kInvalid, 3, kNone,
       "GGA message has invalid num parameters 13", 3},
      {"GgaBadAltitude", Nmea(Replace(kGga, "545.4", "high")), kInvalid, 3, {kLat, kLon, {}, {}, {}, 8},
       "GGA Altitude 'high' has invalid format", 3},
      {"GnsExample", Nmea(kGns), kFix, 4, kGnsFix},
      {"GnsElevenFields", Nmea(kGns.substr(0, kGns.size() - 1)), kInvalid, 4, kNone,
       "GNS message has invalid num parameters 11", 3},
      {"GnsBadSatellites", Nmea(Replace(kGns, ",13,", ",many,")), kInvalid, 4, {kGnsLat, kGnsLon, {}, {}, {}, {}},
       "GNS Number of satellites 'many' has invalid format", 3},
      {"GnsEmptyAltitude", Nmea(Replace(kGns, "25.63", "")), kInvalid, 4, {kGnsLat, kGnsLon, {}, {}, {}, 13},
       "GNS Altitude '' has invalid format", 3},
      {"GnsWithNavigationalStatus", Nmea(kGns + ",V"), kFix, 4, kGnsFix},
      {"GnsModeNN", Nmea(Replace(kGns, ",RR,", ",NN,")), kNoFix, 4, kNone},
  };
}
// clang-format on

class NMEAParserTest : public testing::TestWithParam<ParseCase> {
 protected:
  hostkit::RecordingTraceLog log_;
  NMEAParser parser_{&log_, 20};
};

constexpr double kUntouched = -12345.0;

void ExpectValue(const char* what, const Value& expected, double value, bool valid) {
  EXPECT_EQ(expected.has_value(), valid) << what;
  EXPECT_NEAR(expected.value_or(kUntouched), value, 1e-9) << what;
}

TEST_P(NMEAParserTest, ParsesSentence) {
  const ParseCase& c = GetParam();
  GpsFix fix{kUntouched, false, kUntouched, false, kUntouched, false,
             kUntouched, false, kUntouched, false, 77,         false};
  bool noFix = c.outcome != kNoFix;  // the parser must set both flags itself
  bool invalid = c.outcome != kInvalid;
  int32_t type = -1;

  EXPECT_EQ(c.outcome == kFix, parser_.ParseSentence(c.sentence, fix, noFix, invalid, type));
  EXPECT_EQ(std::tuple(type, noFix, invalid, fix.satellitesValid, fix.satellites),
            std::tuple(c.type, c.outcome == kNoFix, c.outcome == kInvalid, c.fix.satellites.has_value(),
                       c.fix.satellites.value_or(77)));
  ExpectValue("latitude", c.fix.latitude, fix.latitude, fix.latitudeValid);
  ExpectValue("longitude", c.fix.longitude, fix.longitude, fix.longitudeValid);
  ExpectValue("heading", c.fix.heading, fix.heading, fix.headingValid);
  ExpectValue("speed", c.fix.speed, fix.speed, fix.speedValid);
  ExpectValue("altitude", c.fix.altitude, fix.altitude, fix.altitudeValid);

  const auto lines = log_.lines();
  const bool onlyScopes = std::all_of(lines.begin(), lines.end(), [](const hostkit::TraceLine& line) {
    return line.level == 5 && (line.text.rfind("==> ", 0) == 0 || line.text.rfind("<== ", 0) == 0);
  });
  if (c.line == nullptr) {
    EXPECT_TRUE(onlyScopes) << "a good sentence writes no message";
  } else {
    const auto line = log_.FindLine(c.line);
    ASSERT_TRUE(line.has_value()) << "missing: " << c.line;
    EXPECT_EQ(std::tuple(line->level, line->category), std::tuple(c.level, 20)) << line->text;
    EXPECT_EQ(0u, line->text.rfind("    ", 0)) << "not indented: " << line->text;
  }
}

INSTANTIATE_TEST_SUITE_P(Sentences, NMEAParserTest, testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
