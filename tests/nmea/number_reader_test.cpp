#include "nmea/number_reader.h"

#include <gtest/gtest.h>

#include <bit>
#include <locale>
#include <optional>
#include <sstream>
#include <string>

namespace {

// What formatted extraction in the classic locale makes of the text: the reference the readers match.
template <typename T>
std::optional<T> StreamRead(const std::string& text) {
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  T value{};
  in >> value;
  if (in.fail() || in.bad()) {
    return std::nullopt;
  }
  return value;
}

template <typename T, typename R>
std::optional<T> Read(const std::string& text, R reader) {
  T value{};
  if (!reader(text, value)) {
    return std::nullopt;
  }
  return value;
}

void ExpectSameAsStream(const std::string& text) {
  SCOPED_TRACE("text '" + text + "'");
  const auto streamDouble = StreamRead<double>(text);
  const auto readDouble = Read<double>(text, nmea::ReadDouble);
  ASSERT_EQ(streamDouble.has_value(), readDouble.has_value());
  if (streamDouble) {
    // Bit for bit, so that rounding and the sign of zero count too.
    EXPECT_EQ(std::bit_cast<uint64_t>(*streamDouble), std::bit_cast<uint64_t>(*readDouble));
  }
  EXPECT_EQ(StreamRead<int>(text), Read<int32_t>(text, nmea::ReadInt));
  EXPECT_EQ(StreamRead<unsigned>(text), Read<uint32_t>(text, nmea::ReadUnsigned));
}

class NumberReaderTest : public testing::TestWithParam<const char*> {};

TEST_P(NumberReaderTest, ReadsAsStreamExtractionDoes) {
  ExpectSameAsStream(GetParam());
}

const std::string kPastTheLargestDouble(310, '9');  // overflows without an exponent

// Long and out-of-range fields; short random ones are left to the fuzz target.
INSTANTIATE_TEST_SUITE_P(Fields, NumberReaderTest,
                         testing::Values("\t\n\v\f\r", "\t-3.5x", "0x1A", "inf", "nan",
                                         "\x80"
                                         "5",
                                         "1e400", "-1e-400", "3e-324", "1e99999999999999999999",
                                         "179769313486231570814527423731704", "1.7976931348623157e308",
                                         "1.7976931348623159e308", "2147483648", "-2147483649", "4294967296",
                                         "-4294967295", "99999999999999999999999",
                                         "0.1000000000000000055511151231257827021181583404541015625",
                                         " 7", "+7", "+2.5", "1.2.3", "2E3", "1e+5x", "1e+", "1e+400",
                                         "0.0001e-400", "00012e400", "1e",
                                         kPastTheLargestDouble.c_str()));

}  // namespace
