// The loader and the two generations against small stand-in libraries built for these tests.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "facade/vesk_1k_sdk.h"
#include "facade/vesk_2k_sdk.h"
#include "host/recording_trace_log.h"
#include "platform/dynamic_library.h"
#include "tests/facade/slot_cases.h"

namespace {

using facade_test::SlotCase;
using VeskSDKFacade::IVeskSDK;

constexpr ULONG kLibraryResult = 77;

std::string LibraryName(const char* stem) {
  return std::string(FACADE_TEST_LIBRARY_DIR) + "/" + stem + ".dll";
}

template <typename Generation>
class StandIn : public Generation {
 public:
  StandIn(const std::string& file, IHostTraceLog* log) : Generation(file.c_str(), log) {}
};

std::unique_ptr<IVeskSDK> Make(ULONG generation, const std::string& file, IHostTraceLog* log) {
  if (generation == VeskSDKFacade::SDK_1000) {
    return std::make_unique<StandIn<VeskSDKFacade::Vesk1KSDK>>(file, log);
  }
  return std::make_unique<StandIn<VeskSDKFacade::Vesk2KSDK>>(file, log);
}

// The tests' own handle on a stand-in library, to read what it recorded.
struct Probe {
  explicit Probe(const char* stem) { EXPECT_TRUE(library.Load(LibraryName(stem))); }
  int Calls() { return reinterpret_cast<int (*)()>(library.Symbol("TestLibraryCallCount"))(); }
  std::pair<std::string, std::vector<uintptr_t>> LastCall() {
    const char* name = nullptr;
    const uintptr_t* args = nullptr;
    const int count = reinterpret_cast<int (*)(const char**, const uintptr_t**)>(
        library.Symbol("TestLibraryLastCall"))(&name, &args);
    return {name, std::vector<uintptr_t>(args, args + count)};
  }
  platform::DynamicLibrary library;
};

class SlotTest : public testing::TestWithParam<SlotCase> {
 protected:
  // The slot's own generation; the second for the slots both share.
  ULONG Generation() const {
    return GetParam().generation == 0 ? VeskSDKFacade::SDK_2000 : GetParam().generation;
  }
  hostkit::RecordingTraceLog log_;
};

TEST_P(SlotTest, ReachesItsExportWithEveryArgumentInPlace) {
  Probe probe("FacadeTestFull");
  auto sdk = Make(Generation(), LibraryName("FacadeTestFull"), &log_);

  EXPECT_EQ(GetParam().call(*sdk), kLibraryResult);
  EXPECT_EQ(probe.LastCall(), std::make_pair(GetParam().exported, GetParam().words));
  EXPECT_TRUE(log_.lines().empty());
}

// The arguments are pointers that nothing may dereference: touching one crashes the test.
TEST_P(SlotTest, FailsUntouchedAfterOneWarningWhenTheLibraryIsMissing) {
  const std::string file = LibraryName("NoSuchLibrary");
  auto sdk = Make(Generation(), file, &log_);

  EXPECT_EQ(GetParam().call(*sdk), GENERAL_ERROR);
  sdk.reset();
  ASSERT_EQ(log_.lines().size(), 1u);
  EXPECT_EQ(log_.lines()[0].text, "    Could not load " + file);
  EXPECT_EQ(log_.lines()[0].level, 3);
}

// A slot of one generation on an object of the other, which must not call even an exported function.
class RefusalTest : public SlotTest {};

TEST_P(RefusalTest, IsRefusedWithAWarningByTheOtherGeneration) {
  Probe probe("FacadeTestFull");
  const bool on1K = GetParam().generation == VeskSDKFacade::SDK_2000;
  auto sdk =
      Make(on1K ? VeskSDKFacade::SDK_1000 : VeskSDKFacade::SDK_2000, LibraryName("FacadeTestFull"), &log_);
  const int callsBefore = probe.Calls();

  EXPECT_EQ(GetParam().call(*sdk), GENERAL_ERROR);
  EXPECT_EQ(probe.Calls(), callsBefore);
  ASSERT_EQ(log_.lines().size(), 1u);
  EXPECT_EQ(log_.lines()[0].text,
            on1K ? "    Calling 2K function " + GetParam().exported + " from Vesk1K SDK"
                 : "    Calling 1K function " + GetParam().exported + " from Vesk2K SDK");
  EXPECT_EQ(log_.lines()[0].level, 3);
  EXPECT_EQ(log_.lines()[0].category, 20);
}

INSTANTIATE_TEST_SUITE_P(AllSlots, SlotTest, testing::ValuesIn(facade_test::AllSlotCases()),
                         [](const auto& info) { return info.param.name; });

std::vector<SlotCase> OneGenerationSlots() {
  auto slots = facade_test::AllSlotCases();
  std::erase_if(slots, [](const SlotCase& slot) { return slot.generation == 0; });
  return slots;
}

INSTANTIATE_TEST_SUITE_P(OneGenerationSlots, RefusalTest, testing::ValuesIn(OneGenerationSlots()),
                         [](const auto& info) { return info.param.name; });

TEST(MissingEntryPointTest, OnlyThatOperationFailsAndItsBufferIsUntouched) {
  hostkit::RecordingTraceLog log;
  Probe probe("FacadeTestMissingOne");
  StandIn<VeskSDKFacade::Vesk2KSDK> sdk(LibraryName("FacadeTestMissingOne"), &log);
  ASSERT_EQ(log.lines().size(), 1u);
  EXPECT_EQ(log.lines()[0].text, "    Could not get addr of function GetManufacturer");
  EXPECT_EQ(log.lines()[0].level, 2);

  char manufacturer[100];
  std::memset(manufacturer, 'x', sizeof(manufacturer));
  const int callsBefore = probe.Calls();
  EXPECT_EQ(sdk.GetManufacturer(sizeof(manufacturer), manufacturer), GENERAL_ERROR);
  EXPECT_EQ(probe.Calls(), callsBefore);
  EXPECT_EQ(std::string(manufacturer, sizeof(manufacturer)), std::string(sizeof(manufacturer), 'x'));
  for (const auto& slot : facade_test::AllSlotCases()) {
    if (slot.name != "GetManufacturer" && slot.generation != VeskSDKFacade::SDK_1000) {
      EXPECT_EQ(slot.call(sdk), kLibraryResult) << slot.name;
    }
  }
  EXPECT_EQ(log.lines().size(), 1u);
}

TEST(LibraryUnloadTest, OnlyALoadedLibraryIsFreedAndOnlyWhenItsObjectGoes) {
  hostkit::RecordingTraceLog log;
  int unloads = 0;
  auto loaded = Make(VeskSDKFacade::SDK_2000, LibraryName("FacadeTestFull"), &log);
  reinterpret_cast<void (*)(int*)>(Probe("FacadeTestFull").library.Symbol("TestLibrarySetUnloadCounter"))(
      &unloads);
  Make(VeskSDKFacade::SDK_1000, LibraryName("NoSuchLibrary"), &log).reset();
  EXPECT_EQ(unloads, 0);
  EXPECT_EQ(loaded->GetPower(nullptr), kLibraryResult);

  loaded.reset();
  EXPECT_EQ(unloads, 1);
}

}  // namespace
