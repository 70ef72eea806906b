// What the sysfs device tree makes of the untrusted bytes it reads.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/sysfs_text.h"

namespace {

using platform::sysfs::CleanText;

struct CleanRow {
  const char* label;
  std::string narrow;
  std::u16string clean;
};

class CleanTextTest : public testing::TestWithParam<CleanRow> {};

// One line of at most 255 UTF-16 units, never ending in half a surrogate pair.
TEST_P(CleanTextTest, IsOneBoundedLine) {
  EXPECT_EQ(CleanText(GetParam().narrow), GetParam().clean);
}

const std::string kEmoji = "\xF0\x9F\x98\x80";  // U+1F600, a surrogate pair in UTF-16

INSTANTIATE_TEST_SUITE_P(Rows, CleanTextTest, testing::Values(
    CleanRow{"ControlsBecomeBlanks", "a\tb\nc\x7F", u"a b c "},
    CleanRow{"CutAt255", std::string(300, 'x'), std::u16string(255, u'x')},
    CleanRow{"PairThatFitsIsKept", std::string(253, 'x') + kEmoji, std::u16string(253, u'x') + u"\U0001F600"},
    CleanRow{"PairCutInHalfIsDropped", std::string(254, 'x') + kEmoji, std::u16string(254, u'x')}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
