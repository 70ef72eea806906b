// Service selection through the simulated modem: each host value written as the preference of the
// device's technology, permanently, and read back; the failures of the query and a refused write.
#include <string>
#include <tuple>

#include "e2e_host.h"
#include "vesk/values.h"

namespace e2e {
namespace {

struct ModemRow {
  const char* label;
  const char* scenario;
  bool cdma;
};

struct SelectionRow {
  int32_t selection;
  ULONG cdmaPreference;
  ULONG gsmPreference;
  int32_t readBack;
};

// Each write differs from the one before, so a write that never reached the modem shows; the values
// written as automatic are the translation table's.
constexpr SelectionRow kSelections[] = {
    {NORMAL_SERVICESELECTION_2G_ONLY, 0x9, 0x6, NORMAL_SERVICESELECTION_2G_ONLY},
    {NORMAL_SERVICESELECTION_3G_ONLY, 0x11, 0xA, NORMAL_SERVICESELECTION_3G_ONLY},
};

class ServiceSelectionTest : public EndToEndTest, public testing::WithParamInterface<ModemRow> {};

TEST_P(ServiceSelectionTest, WritesThePreferenceOfTheTechnologyPermanentlyAndReadsItBack) {
  const ModemRow& modem = GetParam();
  AttachUntilEvaluated(modem.scenario);

  for (const SelectionRow& row : kSelections) {
    SCOPED_TRACE(row.selection);
    traceLog_.Clear();
    ASSERT_TRUE(sdk_->SetCellularServiceSelection(row.selection));
    const ULONG written = modem.cdma ? row.cdmaPreference : row.gsmPreference;
    ULONG preference = 99, duration = 99, persistent = 99;
    ASSERT_EQ(second_.Call<ULONG>("GetNetworkPreference", &preference, &duration, &persistent), 0u);
    EXPECT_EQ(std::tuple(preference, duration, persistent), std::tuple(written, ULONG{0}, written));

    int32_t selection = -1;
    EXPECT_TRUE(sdk_->GetCellularServiceSelection(&selection));
    EXPECT_EQ(selection, row.readBack);
  }
  EXPECT_FALSE(traceLog_.Contains("Setting service selection while service type is unknown"));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Modems, ServiceSelectionTest, testing::Values(
    ModemRow{"Umts", "", false},
    ModemRow{"Cdma", "[firmware]\ntechnology = 0\n[radio]\ndata_caps = 6 8\n", true}), kLabel);
// clang-format on

// Reading the current preference, or writing 2G only: the failures and what each shows.
struct AccessRow {
  const char* label;
  const char* scenario;
  bool write;
  ULONG fault;  // of the first call after the attach
  bool result;
  int32_t selection;  // read
  uint32_t calls;
  const char* line = nullptr;  // where the answer and the calls cannot tell the branch
};

class ServiceSelectionAccessTest : public EndToEndTest, public testing::WithParamInterface<AccessRow> {};

TEST_P(ServiceSelectionAccessTest, ReportsOrWritesThePreference) {
  const AccessRow& row = GetParam();
  AttachUntilEvaluated(row.scenario);
  const char* entryPoint = row.write ? "SetNetworkPreference" : "GetNetworkPreference";
  second_.Fail(entryPoint, row.fault, row.fault != 0 ? 1 : 0);
  const uint32_t callsBefore = second_.CallCount(entryPoint);
  int32_t selection = -1;
  EXPECT_EQ(row.write ? sdk_->SetCellularServiceSelection(NORMAL_SERVICESELECTION_2G_ONLY)
                      : sdk_->GetCellularServiceSelection(&selection),
            row.result);
  EXPECT_EQ(selection, row.selection);
  EXPECT_EQ(second_.CallCount(entryPoint) - callsBefore, row.calls);
  if (row.line != nullptr) {
    EXPECT_TRUE(traceLog_.Contains(row.line)) << row.line;
  }
}

constexpr int32_t kNotSupported = NORMAL_SERVICESELECTION_Not_Supported;
// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ServiceSelectionAccessTest, testing::Values(
    // The current preference lasts until the modem restarts; it is the one reported.
    AccessRow{"TemporaryDiffersFromPersistent",
              "[radio]\nnetwork_preference = 6\nnetwork_preference_duration = 1\n"
              "persistent_network_preference = 10\n", false, 0, true, NORMAL_SERVICESELECTION_2G_ONLY, 1,
              "    the current service selection is different than the persistent setting (t:0x00000006, "
              "p:0x0000000A)"},
    AccessRow{"ReadRetriedAfterRetryLater", "[radio]\nnetwork_preference = 10\n", false, QMI_ERR_RETRY_LATER,
              true, NORMAL_SERVICESELECTION_3G_ONLY, 2},
    AccessRow{"ReadRefused", "", false, GENERAL_ERROR, false, kNotSupported, 1},
    AccessRow{"WriteRefused", "", true, GENERAL_ERROR, false, -1, 1, "    SetNetworkPreference failed (1)"},
    AccessRow{"WriteForUnknownTechnology", "[firmware]\ntechnology = 2\n", true, 0, false, -1, 0},
    AccessRow{"WriteWhileServiceTypeNotYetKnown", "[radio]\ndata_caps = 0\n", true, 0, true, -1, 1,
              "    Setting service selection while service type is unknown"}), kLabel);
// clang-format on

}  // namespace
}  // namespace e2e
