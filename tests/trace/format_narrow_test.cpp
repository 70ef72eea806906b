#include "trace/format_narrow.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>

namespace {

const char kFailure[] = "ERROR, COULD NOT FORMAT STRING ";

struct FormatCase {
  const char* name;
  std::function<std::string()> format;
  std::string expected;      // the whole result, or the part after "<count>, <errno>" on failure
  const char* failureCount;  // null when formatting succeeds
};

std::string Format(const char* format, ...) {
  std::string result = "stale";
  va_list args;
  va_start(args, format);
  FormatNarrow(result, format, args);
  va_end(args);
  return result;
}

class FormatNarrowTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatNarrowTest, FormatsOrExplainsTheFailure) {
  const FormatCase& c = GetParam();
  errno = 0;
  const std::string result = c.format();
  if (c.failureCount == nullptr) {
    EXPECT_EQ(result, c.expected);
    return;
  }
  const std::string prefix = std::string(kFailure) + c.failureCount + ", ";
  ASSERT_EQ(result.compare(0, prefix.size(), prefix), 0) << result.substr(0, 80);
  const size_t afterErrno = result.find_first_not_of("0123456789", prefix.size());
  EXPECT_GT(afterErrno, prefix.size());
  EXPECT_EQ(result.substr(afterErrno == std::string::npos ? result.size() : afterErrno), c.expected);
}

const std::string k9999(9999, 'a');
const std::string k10000(10000, 'a');

INSTANTIATE_TEST_SUITE_P(
    Results, FormatNarrowTest,
    testing::Values(FormatCase{"LongestThatFits", [] { return Format("%s", k9999.c_str()); }, k9999, nullptr},
                    FormatCase{"OneByteTooLong", [] { return Format("%s", k10000.c_str()); },
                               "\nHere is the format specifier portion: '%s'", "-1"},
                    FormatCase{"EmptyResult", [] { return Format(""); },
                               "\nHere is the format specifier portion: ''", "0"},
                    FormatCase{"NullFormat", [] { return Format(nullptr); }, "", "-1"}),
    [](const testing::TestParamInfo<FormatCase>& info) { return info.param.name; });

}  // namespace
