#include "platform/text.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

struct WidenCase {
  std::string narrow;
  std::u16string wide;
  bool valid;
};

class WidenTest : public testing::TestWithParam<WidenCase> {};

// Valid text also converts back.
TEST_P(WidenTest, ReplacesEachBadSequenceAndKeepsTheRest) {
  bool valid = !GetParam().valid;
  EXPECT_EQ(Widen(GetParam().narrow, &valid), GetParam().wide);
  EXPECT_EQ(valid, GetParam().valid);
  if (GetParam().valid) {
    valid = false;
    EXPECT_EQ(Narrow(GetParam().wide, &valid), GetParam().narrow);
    EXPECT_TRUE(valid);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Utf8, WidenTest,
    testing::Values(WidenCase{"\xF0\x9F\x98\x80", u"\xD83D\xDE00", true},
                    WidenCase{std::string("a\0b", 3), std::u16string(u"a\0b", 3), true},
                    WidenCase{"\xE0\xA4\xB9", u"\u0939", true}, WidenCase{"\xEE\x80\x80", u"\uE000", true},
                    WidenCase{"z\xE2\x82", u"z\xFFFD", false},                          // cut at the end
                    WidenCase{"\xC0\xAFz", u"\xFFFD\xFFFDz", false},                    // overlong
                    WidenCase{"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD", false},            // surrogate
                    WidenCase{"\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD", false},  // > U+10FFFF
                    WidenCase{"\xF0\x9F\xC3\xA9", u"\xFFFD\u00E9", false},              // truncated
                    WidenCase{"\x80x\xFF", u"\xFFFDx\xFFFD", false}));                  // bad lead

TEST(TextTest, NarrowReplacesUnpairedSurrogatesAndNullPointersConvertToEmptyText) {
  bool valid = true;
  EXPECT_EQ(Narrow(u"\xDC00\xD800z", &valid), "\xEF\xBF\xBD\xEF\xBF\xBDz");
  EXPECT_FALSE(valid);
  EXPECT_EQ(Widen(static_cast<const char*>(nullptr)), u"");
  EXPECT_EQ(Narrow(static_cast<const char16_t*>(nullptr)), "");
}

}  // namespace
}  // namespace platform
