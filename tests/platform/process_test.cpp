#include "platform/process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/calendar.h"
#include "platform/directory.h"
#include "platform/text.h"

namespace platform {
namespace {

TEST(ProcessTest, ExecutablePathNamesThisTestProgram) {
  const std::filesystem::path path = ExecutablePath();
  EXPECT_EQ(path.stem().string(), "platform_tests");
  EXPECT_TRUE(std::filesystem::exists(path));
}

TEST(ProcessTest, CpuTimeGrowsWithWorkNotWithWallTime) {
  const auto before = ProcessCpuTime();
  volatile uint64_t sink = 0;
  while (ProcessCpuTime() - before < std::chrono::milliseconds(30)) {
    for (int i = 0; i < 100000; ++i) {
      sink = sink + static_cast<uint64_t>(i);
    }
  }
  EXPECT_GE(ProcessCpuTime() - before, std::chrono::milliseconds(30));
  EXPECT_FALSE(ProcessIsEnding());
}

struct CalendarCase {
  std::time_t time;
  int year, month, day, hour;
};

class CalendarTest : public testing::TestWithParam<CalendarCase> {};

TEST_P(CalendarTest, UtcAndLocalPartsInAZoneWithoutOffset) {
  SetTimeZone("UTC0");
  for (const bool local : {false, true}) {
    std::tm parts{};
    ASSERT_TRUE(local ? ToLocalTime(GetParam().time, &parts) : ToUtcTime(GetParam().time, &parts));
    EXPECT_EQ(parts.tm_year + 1900, GetParam().year);
    EXPECT_EQ(parts.tm_mon + 1, GetParam().month);
    EXPECT_EQ(parts.tm_mday, GetParam().day);
    EXPECT_EQ(parts.tm_hour, GetParam().hour);
  }
}

INSTANTIATE_TEST_SUITE_P(Times, CalendarTest,
                         testing::Values(CalendarCase{0, 1970, 1, 1, 0},
                                         CalendarCase{1242142200, 2009, 5, 12, 15},
                                         CalendarCase{4102444800, 2100, 1, 1, 0}));

// A folder of the test's own: two files, a folder, listed in name order whatever the creation order.
TEST(DirectoryTest, ListsEntriesInNameOrderAndTellsFoldersApart) {
  namespace fs = std::filesystem;
  const fs::path root = fs::path(testing::TempDir()) / ("vesk-listing-" + std::to_string(std::random_device{}()));
  fs::create_directories(root / "m-folder");
  std::ofstream(root / "z-file") << "z";
  std::ofstream(root / "a-file") << "a";

  std::vector<DirectoryEntry> entries;
  ASSERT_EQ(ListDirectory(Widen(root.string()), &entries), 0u);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, u"a-file");
  EXPECT_EQ(entries[1].name, u"m-folder");
  EXPECT_EQ(entries[2].name, u"z-file");
  EXPECT_FALSE(entries[0].isDirectory);
  EXPECT_TRUE(entries[1].isDirectory);
  EXPECT_FALSE(entries[1].isLink);

  const std::u16string canonical = CanonicalPath(Widen((root / "m-folder").string()));
  EXPECT_FALSE(canonical.empty());
  EXPECT_EQ(CanonicalPath(canonical), canonical);

  fs::remove_all(root);
  EXPECT_NE(ListDirectory(Widen(root.string()), &entries), 0u);
  EXPECT_TRUE(entries.empty());
  EXPECT_TRUE(CanonicalPath(Widen(root.string())).empty());
}

}  // namespace
}  // namespace platform
