// Each library file exports exactly its generation's names; a missing or extra name would send the
// module down the wrong road (a first generation that enumerates, a second without callbacks).
#include <string>
#include <vector>

#include "sim_library.h"

namespace simtest {
namespace {

struct ExportCase {
  std::string name;
  bool inSecond;
  bool inFirst;
};

bool FirstGenerationHasIt(const std::string& name) {
  return name == "GetRFInfo" || name == "SetRFInfoCallback";
}

std::vector<ExportCase> AllNames() {
  std::vector<ExportCase> cases;
#define VESK_TEST_COMMON(name, count) cases.push_back({#name, true, true});
#define VESK_TEST_OWN(name, generation, exported, count) \
  if ((generation) == 2)                                 \
    cases.push_back({#exported, true, FirstGenerationHasIt(#exported)});
  VESK_COMMON_ENTRY_POINTS(VESK_TEST_COMMON)
  VESK_OWN_ENTRY_POINTS(VESK_TEST_OWN)
#undef VESK_TEST_COMMON
#undef VESK_TEST_OWN
  // Internals stay hidden, so the two files loaded together never share state.
  cases.push_back({"_ZN7vesksim9Simulator3GetEv", false, false});
  return cases;
}

class ExportTest : public ::testing::TestWithParam<ExportCase> {};

TEST_P(ExportTest, NameIsExportedByTheRightFiles) {
  const ExportCase& c = GetParam();
  EXPECT_EQ(c.inSecond, SimLibrary::Second().Symbol(c.name.c_str()) != nullptr) << "libQCWWAN2k.so";
  EXPECT_EQ(c.inFirst, SimLibrary::First().Symbol(c.name.c_str()) != nullptr) << "libQCWWAN.so";
}

INSTANTIATE_TEST_SUITE_P(AllNames, ExportTest, ::testing::ValuesIn(AllNames()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace simtest
