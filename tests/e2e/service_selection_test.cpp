// Service selection through the simulated modem: each host value written as the preference of the
// device's technology, permanently, and read back; the failures of the query and a refused write.
#include <string>
#include <vector>

#include "e2e_host.h"
#include "vesk/values.h"

namespace e2e {
namespace {

struct ModemRow {
  const char* label;
  const char* scenario;
  bool firstGeneration;
  bool cdma;
};

struct SelectionRow {
  int32_t selection;
  ULONG cdmaPreference;
  ULONG gsmPreference;
  int32_t readBack;
};

// 3G preferred and the values without a row are all written as automatic, and read back as default;
// each write differs from the one before, so a write that never reached the modem shows.
constexpr SelectionRow kSelections[] = {
    {NORMAL_SERVICESELECTION_2G_ONLY, 0x9, 0x6, NORMAL_SERVICESELECTION_2G_ONLY},
    {NORMAL_SERVICESELECTION_3G_Preferred, 0, 0, NORMAL_SERVICESELECTION_Default},
    {NORMAL_SERVICESELECTION_3G_ONLY, 0x11, 0xA, NORMAL_SERVICESELECTION_3G_ONLY},
    {7, 0, 0, NORMAL_SERVICESELECTION_Default},
};

class ServiceSelectionTest : public EndToEndTest, public testing::WithParamInterface<ModemRow> {
 protected:
  const Simulator& Library() const { return GetParam().firstGeneration ? first_ : second_; }
};

TEST_P(ServiceSelectionTest, WritesThePreferenceOfTheTechnologyPermanentlyAndReadsItBack) {
  const ModemRow& modem = GetParam();
  first_.Load(modem.scenario);
  second_.Load(modem.scenario);
  AttachUntilEvaluated();

  for (const SelectionRow& row : kSelections) {
    SCOPED_TRACE(row.selection);
    traceLog_.Clear();
    ASSERT_TRUE(sdk_->SetCellularServiceSelection(row.selection));
    const ULONG written = modem.cdma ? row.cdmaPreference : row.gsmPreference;
    EXPECT_TRUE(traceLog_.Contains("    using the ULONG value of '" + std::to_string(written) +
                                   "' to set the Vesk cellular service selection ('" +
                                   (modem.cdma ? "CDMA" : "GSM") + "' mode)"));
    ULONG preference = 99;
    ULONG duration = 99;
    ULONG persistent = 99;
    ASSERT_EQ(Library().Call<ULONG>("GetNetworkPreference", &preference, &duration, &persistent), 0u);
    EXPECT_EQ(preference, written);
    EXPECT_EQ(duration, 0u);
    EXPECT_EQ(persistent, written);

    int32_t selection = -1;
    EXPECT_TRUE(sdk_->GetCellularServiceSelection(&selection));
    EXPECT_EQ(selection, row.readBack);
  }
  EXPECT_FALSE(traceLog_.Contains("Setting service selection while service type is unknown"));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Modems, ServiceSelectionTest, testing::Values(
    ModemRow{"Umts", "", false, false},
    ModemRow{"Cdma", "[firmware]\ntechnology = 0\n[radio]\ndata_caps = 6 8\n", false, true},
    ModemRow{"FirstGenerationUmts", "[modem]\ngeneration = 1000\n", true, false}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

struct QueryRow {
  const char* label;
  const char* scenario;
  ULONG fault;
  bool result;
  int32_t selection;
  const char* line;
};

class ServiceSelectionQueryTest : public EndToEndTest, public testing::WithParamInterface<QueryRow> {};

TEST_P(ServiceSelectionQueryTest, ReportsTheCurrentPreferenceOrNotSupported) {
  const QueryRow& row = GetParam();
  AttachAndWait(row.scenario);
  second_.Fail("GetNetworkPreference", row.fault, row.fault != 0 ? 1 : 0);
  const uint32_t callsBefore = second_.CallCount("GetNetworkPreference");
  int32_t selection = -1;
  EXPECT_EQ(sdk_->GetCellularServiceSelection(&selection), row.result);
  EXPECT_EQ(selection, row.selection);
  EXPECT_TRUE(traceLog_.Contains(row.line)) << row.line;
  const bool retried = row.fault == QMI_ERR_RETRY_LATER;
  EXPECT_EQ(second_.CallCount("GetNetworkPreference") - callsBefore, retried ? 2u : 1u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ServiceSelectionQueryTest, testing::Values(
    // The current preference lasts until the modem restarts; it is the one reported.
    QueryRow{"TemporaryDiffersFromPersistent",
             "[radio]\nnetwork_preference = 6\nnetwork_preference_duration = 1\npersistent_network_preference = 10\n",
             0, true, NORMAL_SERVICESELECTION_2G_ONLY,
             "    the current service selection is different than the persistent setting (t:0x00000006, "
             "p:0x0000000A)"},
    QueryRow{"RetriedAfterRetryLater", "[radio]\nnetwork_preference = 10\n", QMI_ERR_RETRY_LATER, true,
             NORMAL_SERVICESELECTION_3G_ONLY, "    Retry GetNetworkPreference, previous result 1014"},
    QueryRow{"Refused", "", GENERAL_ERROR, false, NORMAL_SERVICESELECTION_Not_Supported,
             "    GetNetworkPreference failed (1)"}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

struct WriteRow {
  const char* label;
  const char* scenario;
  ULONG fault;
  bool result;
  uint32_t writes;  // SetNetworkPreference calls made
  const char* line;
};

class ServiceSelectionWriteTest : public EndToEndTest, public testing::WithParamInterface<WriteRow> {};

TEST_P(ServiceSelectionWriteTest, WritesOnlyForAKnownTechnology) {
  const WriteRow& row = GetParam();
  AttachUntilEvaluated(row.scenario);
  second_.Fail("SetNetworkPreference", row.fault, row.fault != 0 ? 1 : 0);
  EXPECT_EQ(sdk_->SetCellularServiceSelection(NORMAL_SERVICESELECTION_2G_ONLY), row.result);
  EXPECT_EQ(second_.CallCount("SetNetworkPreference"), row.writes);
  EXPECT_TRUE(traceLog_.Contains(row.line)) << row.line;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ServiceSelectionWriteTest, testing::Values(
    WriteRow{"UnknownTechnology", "[firmware]\ntechnology = 2\n", 0, false, 0,
             "    cannot set cellular service selection mode when the current device technology is not CDMA or GSM (0)"},
    WriteRow{"ServiceTypeNotYetKnown", "[radio]\ndata_caps = 0\n", 0, true, 1,
             "    Setting service selection while service type is unknown"},
    WriteRow{"Refused", "", GENERAL_ERROR, false, 1, "    SetNetworkPreference failed (1)"}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

}  // namespace
}  // namespace e2e
