// Model descriptions and carrier names.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "device_test_host.h"
#include "platform/text.h"

namespace device_test {
namespace {

struct ModelRow {
  const char* label;
  const char* modelId;
  std::string description;
};

class ModemModelTest : public DeviceManagerTest, public testing::WithParamInterface<ModelRow> {};

TEST_P(ModemModelTest, DescribesTheKnownModelsAndShowsAnyOtherIdAsGiven) {
  const ModelRow& row = GetParam();
  // Exactly the buffer size, on the heap, so that a write past its end is caught.
  auto description = std::make_unique<char16_t[]>(CVeskSDK::kModelDescriptionLength);
  std::fill_n(description.get(), CVeskSDK::kModelDescriptionLength, u'#');
  EXPECT_EQ(sdk_->GetVeskModemModel(row.modelId, description.get()), description.get());
  EXPECT_EQ(platform::Narrow(description.get()), row.description);
}

const std::string kLongId(300, '7');
// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, ModemModelTest, testing::Values(
    ModelRow{"Vesk1000", "88", "Vesk MDM-1000 (88)"}, ModelRow{"TrailingBlank", "88 ", "88 "},
    ModelRow{"Null", nullptr, ""}, ModelRow{"TooLong", kLongId.c_str(), kLongId.substr(0, 259)}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

struct CarrierRow {
  int32_t id;
  const char* name;
  bool undefined;
};

class CarrierNameTest : public DeviceManagerTest, public testing::WithParamInterface<CarrierRow> {};

TEST_P(CarrierNameTest, NamesEveryIdAndFlagsTheUnknownOnes) {
  const CarrierRow& row = GetParam();
  traceLog_.Clear();
  EXPECT_EQ(sdk_->GetCarrierName(row.id), row.name);
  char line[64];
  std::snprintf(line, sizeof line, "    Carrier 0x%x name undefined", static_cast<unsigned>(row.id));
  EXPECT_EQ(traceLog_.Count(line, kTraceLevelError), row.undefined ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, CarrierNameTest,
                         testing::Values(CarrierRow{-1, "Unknown", false},
                                         // A name that two IDs share, each from its own row.
                                         CarrierRow{107, "Telstra", false}, CarrierRow{212, "Telstra", false},
                                         CarrierRow{-2, "Undefined (0xfffffffe)", true}));

}  // namespace
}  // namespace device_test
