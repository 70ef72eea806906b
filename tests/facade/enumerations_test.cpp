#include "facade/enumerations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/text.h"

namespace {

using namespace VeskSDKFacade;

struct TextsRow {
  const char* label;
  std::u16string (*text)(int64_t value);
  std::vector<std::pair<int64_t, std::string>> texts;  // every value with a row, then fallbacks
  friend void PrintTo(const TextsRow& row, std::ostream* os) { *os << row.label; }
};

class TextsTest : public testing::TestWithParam<TextsRow> {};

TEST_P(TextsTest, EveryValueHasItsLoggedText) {
  for (const auto& [value, expected] : GetParam().texts) {
    EXPECT_EQ(platform::Narrow(GetParam().text(value)), expected) << "value " << value;
  }
}

TEST(SimStatusBitsReportTest, SaysForEachOfThe32BitsWhetherItIsSet) {
  const std::string report = platform::Narrow(SimStatusBitsReport(0x80000001u));
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 33);  // a line end, then a line a bit
  EXPECT_TRUE(report.ends_with(" : ENABLED\n")) << report;        // bit 31
}

#define TEXT_OF(Lookup, Type) [](int64_t value) { return Lookup(static_cast<Type>(value)); }

// The ends of the tables whose fallbacks differ; the texts in between are the tables themselves.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Enumerations, TextsTest, testing::Values(
    TextsRow{"PinStatus", TEXT_OF(SIMPinStatusText, int32_t), {
        {-1, "VeskSDKFacade::SIMPinStatus_Unknown"}, {5, "VeskSDKFacade::SIMPinStatus_PermanentlyBlocked"},
        {0xFFFFFFFF, "VeskSDKFacade::SIMPinStatus_Unknown"}, {6, "unknown mapping: "}}},
    TextsRow{"SimStatusBit", TEXT_OF(SimStatusBitText, uint32_t), {
        {1, "NORMAL_SIM_STATUS_READY"}, {32768, "NORMAL_SIM_STATUS_NOT_EQUIP"}, {0x400, "unknown mapping: 00000400"},
        {0x80000000, "unknown mapping: 80000000"}}},
    TextsRow{"ServiceType", TEXT_OF(ServiceTypeText, int32_t), {
        {0, "NORMAL_SERVICETYPE_Unknown"}, {18, "NORMAL_SERVICETYPE_LTE"}, {16, "unknown mapping: "}}}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

struct TranslationRow {
  const char* label;
  std::vector<std::pair<int64_t, std::optional<std::pair<uint32_t, uint32_t>>>> rows;  // key -> result(s)
  std::optional<std::pair<uint32_t, uint32_t>> (*translate)(int64_t key);
  friend void PrintTo(const TranslationRow& row, std::ostream* os) { *os << row.label; }
};

class TranslationTest : public testing::TestWithParam<TranslationRow> {};

TEST_P(TranslationTest, EveryKeyGivesItsResults) {
  for (const auto& [key, expected] : GetParam().rows) {
    EXPECT_EQ(GetParam().translate(key), expected) << "key " << key;
  }
}

using Pair = std::pair<uint32_t, uint32_t>;
std::optional<Pair> Both(std::optional<uint32_t> value) {
  return value ? std::optional<Pair>(Pair{*value, *value}) : std::nullopt;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Tables, TranslationTest, testing::Values(
    TranslationRow{"PinStatusToPin2AndPin1Bits",
        {{-1, Pair{16384, 16384}}, {1, Pair{48, 6}}, {5, Pair{4096, 4096}}, {6, std::nullopt}},
        [](int64_t key) -> std::optional<Pair> {
          auto bits = SimStatusBitsForPinStatus(static_cast<int32_t>(key));
          return bits ? std::optional<Pair>(Pair{bits->pin2Bits, bits->pin1Bits}) : std::nullopt;
        }},
    TranslationRow{"SimResultToBits",
        {{0, Pair{1, 1}}, {1003, Pair{32768, 32768}}, {1082, Pair{128, 128}}, {1, Pair{16384, 16384}}, {8, std::nullopt}},
        [](int64_t key) { return Both(SimStatusBitsForSimResult(static_cast<uint32_t>(key))); }},
    // Both directions: the data capability of a service type, and the service type found from it.
    TranslationRow{"ServiceTypeToDataCapsAndBack",
        {{0, Pair{0, 0}}, {4, Pair{9, 4}}, {10, Pair{1, 10}}, {9, Pair{8, 9}}, {15, std::nullopt}},
        [](int64_t key) -> std::optional<Pair> {
          auto caps = DataCapsForServiceType(static_cast<int32_t>(key));
          if (!caps) return std::nullopt;
          return Pair{*caps, static_cast<uint32_t>(ServiceTypeForDataCaps(*caps).value_or(-1))};
        }},
    TranslationRow{"ServiceSelectionToCdmaAndGsmPreference",
        {{1, Pair{0, 0}}, {2, Pair{9, 6}}, {3, Pair{17, 10}}, {7, Pair{0, 0}}},
        [](int64_t key) -> std::optional<Pair> {
          auto preference = TechnologyPreferenceForServiceSelection(static_cast<int32_t>(key));
          return Pair{preference.cdma, preference.gsm};
        }}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

}  // namespace
