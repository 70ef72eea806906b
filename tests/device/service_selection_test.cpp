// The modem's technology preference decoded into the host's service selection, without a modem.
#include <string>

#include "device_test_host.h"
#include "vesk/values.h"

struct ServiceSelectionTestPeer {
  static int32_t Decode(CVeskSDK& sdk, ULONG preference) { return sdk.DecodeTechnologyPreference(preference); }
};

namespace device_test {
namespace {

struct DecodeRow {
  const char* label;
  ULONG preference;
  int32_t selection;
  const char* lastLine;  // at level 2 when the selection is Not_Supported, else at level 4
};
void PrintTo(const DecodeRow& row, std::ostream* os) {
  *os << row.label;
}

class PreferenceDecodingTest : public DeviceManagerTest, public testing::WithParamInterface<DecodeRow> {};

TEST_P(PreferenceDecodingTest, GivesTheSelectionAndSaysWhy) {
  const DecodeRow& row = GetParam();
  EXPECT_EQ(ServiceSelectionTestPeer::Decode(*sdk_, row.preference), row.selection);
  const bool undecodable = row.selection == NORMAL_SERVICESELECTION_Not_Supported;
  const auto lines = traceLog_.lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().text, std::string("    ") + row.lastLine);
  EXPECT_EQ(lines.back().level, undecodable ? kTraceLevelError : kTraceLevelInfo);
  EXPECT_EQ(traceLog_.Count("", kTraceLevelError), undecodable ? 1u : 0u);
}

constexpr char k2G[] = "currently using a 2G only protocol";
constexpr char k3G[] = "currently using a 3G only protocol";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Preferences, PreferenceDecodingTest, testing::Values(
    DecodeRow{"Automatic", 0x0, NORMAL_SERVICESELECTION_Default, "currently using an automatic service selection"},
    DecodeRow{"Cdma2G", 0x9, NORMAL_SERVICESELECTION_2G_ONLY, k2G},
    DecodeRow{"Cdma3G", 0x11, NORMAL_SERVICESELECTION_3G_ONLY, k3G},
    DecodeRow{"CdmaProtocol3", 0xD, NORMAL_SERVICESELECTION_Not_Supported,
              "invalid cdma protocol preference (0x0000000D)"},
    DecodeRow{"CdmaWithTheGsm2GProtocol", 0x5, NORMAL_SERVICESELECTION_Not_Supported,
              "invalid cdma protocol preference (0x00000005)"},
    DecodeRow{"Gsm2G", 0x6, NORMAL_SERVICESELECTION_2G_ONLY, k2G},
    DecodeRow{"Gsm3G", 0xA, NORMAL_SERVICESELECTION_3G_ONLY, k3G},
    DecodeRow{"GsmProtocol3", 0xE, NORMAL_SERVICESELECTION_Not_Supported, "invalid protocol preference (0x0000000E)"},
    DecodeRow{"GsmWithTheCdma3GProtocol", 0x12, NORMAL_SERVICESELECTION_Not_Supported,
              "invalid protocol preference (0x00000012)"},
    DecodeRow{"InvalidTechnology", 0x3, NORMAL_SERVICESELECTION_Not_Supported,
              "invalid technology preference (0x00000003)"},
    DecodeRow{"InvalidTechnologyWithAProtocol", 0xFFFFFFFB, NORMAL_SERVICESELECTION_Not_Supported,
              "invalid technology preference (0xFFFFFFFB)"}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

}  // namespace
}  // namespace device_test
