// One position as the NMEA parser reads it from a sentence. The caller clears the valid flags before
// each parse; the parser only sets values and flags, never clears them.
#pragma once

#include <cstdint>

struct GpsFix {
  double latitude = 0.0;  // degrees, north positive
  bool latitudeValid = false;
  double longitude = 0.0;  // degrees, east positive
  bool longitudeValid = false;
  double heading = 0.0;  // degrees, as sent
  bool headingValid = false;
  double speed = 0.0;  // metres per second
  bool speedValid = false;
  double altitude = 0.0;  // as sent
  bool altitudeValid = false;
  uint8_t satellites = 0;
  bool satellitesValid = false;
};
