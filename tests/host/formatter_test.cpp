#include "host/kit/formatter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>

namespace hostkit {
namespace {

struct FormatCase {
  const char* name;
  std::string expected;
  std::function<std::string()> format;
};

class FormatTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, FormatsLikeTheHost) {
  EXPECT_EQ(GetParam().format(), GetParam().expected);
}

constexpr uint64_t kMax64 = std::numeric_limits<uint64_t>::max();
constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();
constexpr const char* kNull = nullptr;
constexpr const char16_t* kNullWide = nullptr;

INSTANTIATE_TEST_SUITE_P(
    Narrow, FormatTest,
    testing::Values(
        FormatCase{"StarWidthAndPrecision", "   7|7   |3.14|abc|abc|007",
                   [] {
                     return FormatA("%*d|%*d|%.*f|%.*s|%.*s|%.*d", 4, 7, -4, 7, 2, 3.14159, 3, "abcdef", -1,
                                    "abc", 3, 7);
                   }},
        FormatCase{
            "Long32Bits", "4294967295 ffffffff -2147483648 4294967295 -1",
            [] { return FormatA("%lu %lx %ld %I32u %I32d", 0xFFFFFFFFu, -1, INT32_MIN, 0xFFFFFFFFu, -1); }},
        FormatCase{"Int64",
                   "18446744073709551615 18446744073709551615 -9223372036854775808 ffffffffffffffff 9",
                   [] { return FormatA("%I64u %llu %I64d %I64x %d", kMax64, kMax64, kMin64, kMax64, 9); }},
        // As wide as a pointer of the build: 8 digits in the 32-bit host, 16 in a 64-bit one.
        FormatCase{"Pointer",
                   sizeof(void*) == 4 ? "0000ABCD|           00000000" : "000000000000ABCD|   0000000000000000",
                   [] { return FormatA("%p|%19p", reinterpret_cast<void*>(uintptr_t{0xABCD}), nullptr); }},
        FormatCase{"WideStrings", "w\xC3\xA9|x|\xE6\x97\xA5",
                   [] { return FormatA("%ls|%ws|%S", u"w\u00e9", u"x", u"\u65e5"); }},
        FormatCase{"NullStrings", "(null)|(null)|(null)|(nu",
                   [] { return FormatA("%s|%ws|%S|%.3s", kNull, kNullWide, kNullWide, kNull); }},
        FormatCase{"WidthCountsCharacters", "h\xC3\xA9llo |    \xE6\x97\xA5\xE6\x9C\xAC|",
                   [] { return FormatA("%-6s|%6ls|", "h\xC3\xA9llo", u"\u65e5\u672c"); }},
        FormatCase{"PrecisionNeverSplitsCharacters", "\xC3\xA9||\xF0\x9F\x98\x80|",
                   [] {
                     return FormatA("%.2s|%.1s|%.2ls|%.1ls", "\xC3\xA9!", "\xC3\xA9", u"\U0001F600x",
                                    u"\U0001F600");
                   }},
        FormatCase{"PercentAndUnknownKeepArgumentsInStep", "100% a%kb %q 5 %Ld",
                   [] { return FormatA("100%% a%kb %q %d %Ld", 5); }},
        FormatCase{"FormatEndsInsideSpecifier", "x %-5", [] { return FormatA("x %-5"); }},
        FormatCase{"NeverWritesThroughN", "7",
                   [] {
                     int target = 99;
                     std::string text = FormatA("%n%d", &target, 7);
                     return target == 99 ? text : std::string("written");
                   }},
        FormatCase{"WidthClamped", std::string(9999, ' ') + "1", [] { return FormatA("%99999999999d", 1); }},
        FormatCase{"NullFormat", "", [] { return FormatA(nullptr); }}),
    [](const auto& info) { return std::string(info.param.name); });

// The wide format shares the narrow one's engine: what differs is the literal text and the default
// width of %s and %c.
INSTANTIATE_TEST_SUITE_P(
    Wide, FormatTest,
    testing::Values(
        FormatCase{"WideStrings", "a|\xC3\xA9|c",
                   [] { return FormatW(u"%s|%ls|%ws", u"a", u"\u00e9", u"c"); }},
        FormatCase{"NarrowStringsOtherWidth", "n\xC3\xA9|x",
                   [] { return FormatW(u"%hs|%S", "n\xC3\xA9", "x"); }},
        FormatCase{"NonAsciiLiteral",
                   "Gr\xC3\xB6\xC3\x9F"
                   "e: 3 \xF0\x9F\x98\x80",
                   [] { return FormatW(u"Gr\u00f6\u00dfe: %d \U0001F600", 3); }},
        FormatCase{"LoneSurrogateLiteral",
                   "a\xEF\xBF\xBD"
                   "b",
                   [] { return FormatW(u"a\xD800%s", u"b"); }},
        FormatCase{"NullStrings", "(null)|(null)", [] { return FormatW(u"%s|%S", kNullWide, kNull); }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hostkit
