// Paths joined with the system's separator and compared at folder boundaries only.
#include "platform/path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace platform {
namespace {

const std::u16string kSep(1, static_cast<char16_t>(std::filesystem::path::preferred_separator));

TEST(PathTest, JoinsWithOneSeparator) {
  EXPECT_EQ(JoinPath(u"a", u"b"), u"a" + kSep + u"b");
  EXPECT_EQ(JoinPath(u"a" + kSep, u"b"), u"a" + kSep + u"b");
  EXPECT_EQ(JoinPath(u"", u"b"), u"b");
}

// A folder given with or without its closing separator; a sibling that only shares a prefix is not below.
TEST(PathTest, IsBelowOnlyPastAFolderBoundary) {
  const std::u16string store = kSep + u"store";
  EXPECT_TRUE(IsBelow(store + kSep + u"a", store));
  EXPECT_TRUE(IsBelow(store + kSep + u"a", store + kSep));
  for (const std::u16string& path :
       {store, store + u"2" + kSep + u"a", kSep + u"st", kSep + u"other" + kSep + u"a"}) {
    EXPECT_FALSE(IsBelow(path, store));
  }
  EXPECT_FALSE(IsBelow(store + kSep + u"a", u""));
}

}  // namespace
}  // namespace platform
