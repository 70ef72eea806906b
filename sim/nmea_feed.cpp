#include "sim/nmea_feed.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vesksim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthRadiusMetres = 6371000.0;
constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;

// "ddmm.mmmm" (or "dddmm.mmmm") and its hemisphere letter. Rounded as a whole, so that 59.99999
// minutes carry into the degrees instead of printing as 60.0000.
std::string Coordinate(double degrees, int degreeDigits, char positive, char negative) {
  const long long units = std::llround(std::fabs(degrees) * 60.0 * 10000.0);
  const long long whole = units / 600000;
  const long long rest = units % 600000;
  char text[32];
  std::snprintf(text, sizeof text, "%0*lld%02lld.%04lld,%c", degreeDigits, whole, rest / 10000, rest % 10000,
                degrees < 0 ? negative : positive);
  return text;
}

// Course (degrees from north) and speed (knots) of going from a to b in seconds.
void Motion(const TrackPoint& a, const TrackPoint& b, double seconds, double& course, double& knots) {
  const double north = (b.latitude - a.latitude) * kPi / 180.0 * kEarthRadiusMetres;
  const double east = (b.longitude - a.longitude) * kPi / 180.0 * kEarthRadiusMetres *
                      std::cos((a.latitude + b.latitude) / 2.0 * kPi / 180.0);
  const double metres = std::hypot(north, east);
  knots = seconds > 0 ? metres / seconds / kMetresPerSecondPerKnot : 0.0;
  course = metres > 0 ? std::fmod(std::atan2(east, north) * 180.0 / kPi + 360.0, 360.0) : 0.0;
}

}  // namespace

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

const std::vector<TrackPoint>& BuiltInTrack() {
  static const std::vector<TrackPoint> track = {
      {48.117300, 11.516667, 545.4, 8}, {48.117400, 11.516800, 545.9, 8}, {48.117500, 11.516950, 546.3, 9},
      {48.117550, 11.517150, 546.8, 9}, {48.117500, 11.517350, 547.0, 9}, {48.117380, 11.517450, 546.6, 8},
      {48.117250, 11.517400, 546.1, 8}, {48.117150, 11.517250, 545.7, 7}, {48.117120, 11.517050, 545.2, 7},
      {48.117180, 11.516850, 545.0, 8}};
  return track;
}

NmeaFeed::NmeaFeed(const std::vector<std::string>& sentences, const std::vector<TrackPoint>& track,
                   uint32_t periodMs)
    : sentences_(sentences), track_(track.empty() ? BuiltInTrack() : track), periodMs_(periodMs) {}

std::vector<std::string> NmeaFeed::Sentences(uint64_t tick) const {
  if (!sentences_.empty()) {
    return {sentences_[tick % sentences_.size()]};
  }
  const TrackPoint& point = track_[tick % track_.size()];
  const TrackPoint& next = track_[(tick + 1) % track_.size()];
  double course = 0.0;
  double knots = 0.0;
  Motion(point, next, periodMs_ / 1000.0, course, knots);

  // The fix time starts at noon and moves on with the modem's clock.
  const uint64_t centiseconds = tick * periodMs_ / 10 % (24 * 360000);
  char time[16];
  std::snprintf(time, sizeof time, "%02u%02u%02u.%02u", static_cast<unsigned>((12 + centiseconds / 360000) % 24),
                static_cast<unsigned>(centiseconds / 6000 % 60), static_cast<unsigned>(centiseconds / 100 % 60),
                static_cast<unsigned>(centiseconds % 100));
  const std::string position = Coordinate(point.latitude, 2, 'N', 'S') + "," +
                               Coordinate(point.longitude, 3, 'E', 'W');
  char body[160];
  std::vector<std::string> out;
  std::snprintf(body, sizeof body, "GPRMC,%s,A,%s,%.1f,%.1f,120509,,,A", time, position.c_str(), knots, course);
  out.push_back(WithChecksum(body));
  std::snprintf(body, sizeof body, "GPGGA,%s,%s,1,%02u,0.9,%.1f,M,46.9,M,,", time, position.c_str(),
                point.satellites, point.altitude);
  out.push_back(WithChecksum(body));
  std::snprintf(body, sizeof body, "GNGNS,%s,%s,AA,%02u,0.9,%.1f,46.9,,", time, position.c_str(),
                point.satellites, point.altitude);
  out.push_back(WithChecksum(body));
  return out;
}

}  // namespace vesksim
