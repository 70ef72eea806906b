#include "platform/process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <tuple>
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
  int64_t time;
  int year, month, day, hour;
};

class CalendarTest : public testing::TestWithParam<CalendarCase> {};

TEST_P(CalendarTest, UtcAndLocalPartsInAZoneWithoutOffset) {
  SetTimeZone("UTC0");
  for (const bool local : {false, true}) {
    std::tm parts{};
    ASSERT_TRUE(local ? ToLocalTime(GetParam().time, &parts) : ToUtcTime(GetParam().time, &parts));
    EXPECT_EQ(std::tuple(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour),
              std::tuple(GetParam().year, GetParam().month, GetParam().day, GetParam().hour));
  }
}

INSTANTIATE_TEST_SUITE_P(Times, CalendarTest,
                         testing::Values(CalendarCase{0, 1970, 1, 1, 0},
                                         CalendarCase{1242142200, 2009, 5, 12, 15},
                                         CalendarCase{4102444800, 2100, 1, 1, 0}));

// A folder of the test's own: two files, a folder, listed in name order whatever the creation order.
TEST(DirectoryTest, ListsEntriesInNameOrderAndTellsFoldersApart) {
  namespace fs = std::filesystem;
  const fs::path root =
      fs::path(testing::TempDir()) / ("vesk-listing-" + std::to_string(std::random_device{}()));
  fs::create_directories(root / "m-folder");
  std::ofstream(root / "z-file") << "z";
  std::ofstream(root / "a-file") << "a";

  std::vector<DirectoryEntry> entries;
  ASSERT_EQ(ListDirectory(Widen(root.string()), &entries), 0u);
  std::vector<std::tuple<std::u16string, bool, bool>> listed;  // name, folder, link
  for (const DirectoryEntry& entry : entries) {
    listed.emplace_back(entry.name, entry.isDirectory, entry.isLink);
  }
  EXPECT_EQ(listed, (decltype(listed){
                        {u"a-file", false, false}, {u"m-folder", true, false}, {u"z-file", false, false}}));

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
