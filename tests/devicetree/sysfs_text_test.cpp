// What the sysfs device tree makes of the untrusted bytes it reads.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/posix/sysfs_text.h"

namespace {

using platform::sysfs::CleanText;
using platform::sysfs::IsDevicePath;

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

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, CleanTextTest, testing::Values(
    CleanRow{"ControlsBecomeBlanks", "a\tb\nc\x7F", u"a b c "},
    CleanRow{"CutAt255", std::string(300, 'x'), std::u16string(255, u'x')},
    CleanRow{"PairThatFitsIsKept", std::string(253, 'x') + kEmoji, std::u16string(253, u'x') + u"\U0001F600"},
    CleanRow{"PairCutInHalfIsDropped", std::string(254, 'x') + kEmoji, std::u16string(254, u'x')}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

// Only a path below /devices, without empty, "." or ".." parts or control characters, is looked at.
TEST(IsDevicePathTest, AcceptsOnlyPlainPathsBelowDevices) {
  for (const std::string path : {"/devices/a", "/devices/pci0000:00/usb1/1-1:1.0"}) {
    EXPECT_TRUE(IsDevicePath(path)) << path;
  }
  for (const std::string& path : std::vector<std::string>{
           "/devices", "/devices/", "/sys/devices/a", "devices/a", "/devices/a/", "/devices//a",
           "/devices/./a", "/devices/a/..", "/devices/a\tb", "/devices/" + std::string(4096, 'a')}) {
    EXPECT_FALSE(IsDevicePath(path)) << path;
  }
}

TEST(UeventTest, KeepsTheFirstOfEachKeyAndSkipsLinesWithoutOne) {
  EXPECT_EQ(platform::sysfs::ParseUevent("A=1\n=2\nB\nA=3\nC=x=y\nD="),
            (std::map<std::string, std::string>{{"A", "1"}, {"C", "x=y"}, {"D", ""}}));
  EXPECT_EQ(platform::sysfs::TrimLineEnd("v 1 \t\r\n \n"), "v 1");
}

TEST(NaturalLessTest, ComparesDigitRunsAsNumbers) {
  const std::vector<std::string> sorted = {"1-2:1.2", "1-2:1.9", "1-2:1.10", "1-2:1.010x",
                                           "1-2:2",   "a",       "ab"};
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    for (std::size_t j = 0; j < sorted.size(); ++j) {
      EXPECT_EQ(platform::sysfs::NaturalLess(sorted[i], sorted[j]), i < j) << sorted[i] << " < " << sorted[j];
    }
  }
}

}  // namespace
