// The NMEA sentence parser on any bytes, and the number reader against the stream extraction whose
// results it promises (operator>> in the classic locale).
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale>
#include <sstream>
#include <string>
#include <string_view>

#include "nmea/nmea_parser.h"
#include "nmea/number_reader.h"

namespace {

template <typename T>
bool StreamRead(std::string_view text, T& value) {
  std::istringstream stream{std::string(text)};
  stream.imbue(std::locale::classic());
  stream >> value;
  return !stream.fail();
}

[[noreturn]] void Mismatch(const char* what, std::string_view text) {
  std::fprintf(stderr, "%s disagrees with the stream on \"%.*s\"\n", what, static_cast<int>(text.size()),
               text.data());
  std::abort();
}

void CheckNumbers(std::string_view text) {
  double ours = 12.5;
  double theirs = 0.0;
  const bool oursOk = nmea::ReadDouble(text, ours);
  if (oursOk != StreamRead(text, theirs)) {
    Mismatch("ReadDouble", text);
  }
  if (!oursOk && ours != 12.5) {
    Mismatch("ReadDouble (output touched on failure)", text);
  }
  if (oursOk && std::memcmp(&ours, &theirs, sizeof ours) != 0) {
    Mismatch("ReadDouble (value)", text);
  }

  int32_t ourInt = 7;
  int32_t theirInt = 0;
  const bool intOk = nmea::ReadInt(text, ourInt);
  if (intOk != StreamRead(text, theirInt) || (intOk && ourInt != theirInt) || (!intOk && ourInt != 7)) {
    Mismatch("ReadInt", text);
  }

  uint32_t ourUnsigned = 7;
  uint32_t theirUnsigned = 0;
  const bool unsignedOk = nmea::ReadUnsigned(text, ourUnsigned);
  if (unsignedOk != StreamRead(text, theirUnsigned) || (unsignedOk && ourUnsigned != theirUnsigned) ||
      (!unsignedOk && ourUnsigned != 7)) {
    Mismatch("ReadUnsigned", text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  static NMEAParser parser(nullptr);
  GpsFix fix;
  bool noFix = false;
  bool invalid = false;
  int32_t type = 0;
  if (parser.ParseSentence(text, fix, noFix, invalid, type)) {
    if (!(std::fabs(fix.latitude) <= 90.0) || !(std::fabs(fix.longitude) <= 180.0)) {
      std::fprintf(stderr, "fix outside the globe: %f %f\n", fix.latitude, fix.longitude);
      std::abort();
    }
  }
  // Short inputs are number fields; a whole sentence is too long to tell the reader much more.
  if (size <= 64) {
    CheckNumbers(text);
  }
  return 0;
}
