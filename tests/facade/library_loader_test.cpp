// The loader and the two generations against small stand-in libraries built for these tests.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>

#include "facade/vesk_1k_sdk.h"
#include "facade/vesk_2k_sdk.h"
#include "host/kit/recording_trace_log.h"
#include "platform/dynamic_library.h"

namespace {

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

// The names a generation looks up, as traced against a library that exports none of them.
std::multiset<std::string> LookedUp(ULONG generation) {
  hostkit::RecordingTraceLog log;
  Make(generation, LibraryName("FacadeTestEmpty"), &log);
  std::multiset<std::string> names;
  for (const auto& line : log.lines()) {
    EXPECT_EQ(line.level, 2) << line.text;
    names.insert(line.text.substr(line.text.rfind(' ') + 1));
  }
  return names;
}

// The second generation resolves its own names in hand-picked runs of its table: none may be left out.
TEST(ResolutionTest, EachGenerationLooksUpEveryExportOfItsOwnOnce) {
  std::multiset<std::string> first, second;
#define FACADE_TEST_COMMON(name, count) first.insert(#name), second.insert(#name);
#define FACADE_TEST_OWN(name, generation, exported, count) \
  ((generation) == 1 ? first : second).insert(#exported);
  VESK_COMMON_ENTRY_POINTS(FACADE_TEST_COMMON)
  VESK_OWN_ENTRY_POINTS(FACADE_TEST_OWN)
  EXPECT_EQ(LookedUp(VeskSDKFacade::SDK_1000), first);
  EXPECT_EQ(LookedUp(VeskSDKFacade::SDK_2000), second);
}

// Every slot calls through one template; the first generation's own slot shows the export it maps to.
// The refusals are generated per slot too, so one each way stands for them.
TEST(ResolutionTest, ACallReachesItsExportAndTheOtherGenerationsCallsAreRefusedWithAWarning) {
  hostkit::RecordingTraceLog log;
  Probe probe("FacadeTestFull");
  auto first = Make(VeskSDKFacade::SDK_1000, LibraryName("FacadeTestFull"), &log);
  auto second = Make(VeskSDKFacade::SDK_2000, LibraryName("FacadeTestFull"), &log);
  EXPECT_EQ(first->GetRFInfo1K(0x5000, 0x5010), kLibraryResult);
  EXPECT_EQ(probe.LastCall(),
            std::make_pair(std::string("GetRFInfo"), std::vector<uintptr_t>{0x5000, 0x5010}));
  EXPECT_TRUE(log.lines().empty());
  const int callsBefore = probe.Calls();

  EXPECT_EQ(first->QCWWAN2kConnect(nullptr, nullptr), GENERAL_ERROR);
  EXPECT_EQ(second->GetRFInfo1K(0, 0), GENERAL_ERROR);
  EXPECT_EQ(probe.Calls(), callsBefore);
  std::vector<std::tuple<int32_t, int32_t, std::string>> warnings;  // category, level, text
  for (const auto& line : log.lines()) {
    warnings.emplace_back(line.category, line.level, line.text);
  }
  EXPECT_EQ(warnings, (decltype(warnings){{20, 3, "    Calling 2K function QCWWAN2kConnect from Vesk1K SDK"},
                                          {20, 3, "    Calling 1K function GetRFInfo from Vesk2K SDK"}}));
}

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
  EXPECT_EQ(sdk.GetModelID(sizeof(manufacturer), manufacturer), kLibraryResult);
  EXPECT_EQ(log.lines().size(), 1u);
}

TEST(LibraryUnloadTest, OnlyALoadedLibraryIsFreedAndOnlyWhenItsObjectGoes) {
  hostkit::RecordingTraceLog log;
  int unloads = 0;
  auto loaded = Make(VeskSDKFacade::SDK_2000, LibraryName("FacadeTestFull"), &log);
  reinterpret_cast<void (*)(int*)>(Probe("FacadeTestFull").library.Symbol("TestLibrarySetUnloadCounter"))(
      &unloads);
  // A missing library warns once and fails its operations without touching their arguments.
  const std::string missing = LibraryName("NoSuchLibrary");
  EXPECT_EQ(Make(VeskSDKFacade::SDK_1000, missing, &log)->GetPower(reinterpret_cast<ULONG*>(0x50)),
            GENERAL_ERROR);
  // The name as given, then (where the file differs from it) the file looked for and the reason.
  const std::string file = platform::DynamicLibrary::PlatformFileName(missing);
  ASSERT_EQ(log.lines().size(), file != missing ? 2u : 1u);
  EXPECT_EQ(log.lines()[0].text, "    Could not load " + missing);
  EXPECT_EQ(log.lines()[0].level, 3);
  if (file != missing) {
    EXPECT_EQ(log.lines()[1].text.rfind("    Looked for " + file + ": ", 0), 0u) << log.lines()[1].text;
    EXPECT_NE(log.lines()[1].text.find("No such file"), std::string::npos) << log.lines()[1].text;
    EXPECT_EQ(log.lines()[1].level, 3);
  }
  EXPECT_EQ(unloads, 0);
  EXPECT_EQ(loaded->GetPower(nullptr), kLibraryResult);

  loaded.reset();
  EXPECT_EQ(unloads, 1);
}

}  // namespace
