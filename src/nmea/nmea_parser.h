// Validates and parses the NMEA 0183 sentences that carry a position (RMC, GGA, GNS) into a GpsFix.
//
// Every rejection is a trace line and a false (or type 0) result; no input makes it throw, crash or
// read outside the sentence. One parser serves one thread at a time (it keeps scratch space between
// calls so that parsing a sentence allocates nothing); it has no lock.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "nmea/gps_fix.h"
#include "trace/trace.h"

class NMEAParser {
 public:
  // Type codes of GetTypeAndData.
  static constexpr int32_t kInvalidSentence = 0;
  static constexpr int32_t kUnknownType = 1;
  static constexpr int32_t kRMC = 2;
  static constexpr int32_t kGGA = 3;
  static constexpr int32_t kGNS = 4;

  // traceLog may be null (no trace lines); it must outlive the parser.
  explicit NMEAParser(IHostTraceLog* traceLog, int32_t category = kTraceCategory);
  NMEAParser(const NMEAParser&) = delete;
  NMEAParser& operator=(const NMEAParser&) = delete;

  // True when the sentence gave a usable fix. Otherwise noFix tells a valid sentence that reports no
  // position, invalid a sentence that was rejected; neither is set for a sentence of an unknown type.
  bool ParseSentence(std::string_view sentence, GpsFix& fix, bool& noFix, bool& invalid, int32_t& type);

  // Checks the sentence and splits it into the fields after the address. The fields point into
  // sentence, which must outlive them. Returns a type code above.
  int32_t GetTypeAndData(std::string_view sentence, std::vector<std::string_view>& fields);

  // Fields are numbered from the first data field.
  bool ParseRMCData(std::span<const std::string_view> fields, GpsFix& fix, bool& noFix);
  bool ParseGGAData(std::span<const std::string_view> fields, GpsFix& fix, bool& noFix);
  bool ParseGNSData(std::span<const std::string_view> fields, GpsFix& fix, bool& noFix);

  // ddmm.m... and dddmm.m...; the sign is + only for exactly "N" (or "E").
  bool ParsePosition(std::span<const std::string_view> fields, GpsFix& fix);
  bool ParseLatitude(std::string_view hemisphere, std::string_view value, double& out);
  bool ParseLongitude(std::string_view hemisphere, std::string_view value, double& out);

 private:
  using Handler = bool (NMEAParser::*)(std::span<const std::string_view>, GpsFix&, bool&);
  struct TypeEntry {
    std::string_view name;
    int32_t type;
  };
  struct HandlerEntry {
    int32_t type;
    Handler handler;
  };

  bool ParseCoordinate(std::string_view hemisphere, std::string_view value, double& out, bool latitude);
  bool ParseSatellites(std::string_view field, GpsFix& fix, const char* invalidMessage,
                       const char* tooHighMessage);

  IHostTraceLog* traceLog_;
  int32_t category_;
  TypeEntry typeMap_[3];
  HandlerEntry handlerMap_[3];
  std::array<std::string, 256> checksumTexts_;  // "00" to "FF"
  std::vector<std::string_view> fields_;        // scratch of ParseSentence, reused
};
