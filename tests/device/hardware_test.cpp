// Model descriptions and carrier names.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

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
    ModelRow{"Null", nullptr, ""}, ModelRow{"TooLong", kLongId.c_str(), kLongId.substr(0, 259)}), kLabel);
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
                         testing::Values(CarrierRow{-1, "Unknown", false}, CarrierRow{107, "Telstra", false},
                                         CarrierRow{-2, "Undefined (0xfffffffe)", true}));

// Every ID of the table with its name, in one comparison.
TEST_F(DeviceManagerTest, NamesEachCarrierOfTheTable) {
  std::string names;
  for (const auto& [first, last] : {std::pair{1, 3}, {101, 118}, {201, 224}}) {
    for (int32_t id = first; id <= last; ++id) {
      names += std::to_string(id) + " " + sdk_->GetCarrierName(id) + ";";
    }
  }
  EXPECT_EQ(names,
            "1 Generic;2 Factory;3 Radio Free;101 Verizon;102 Sprint;103 Alltel;104 Bell Mobility;"
            "105 Telus;106 U.S. Cellular;107 Telstra;108 China Unicom;109 Telecom New Zealand;"
            "110 SK Telecom;111 Reliance Communications;112 Tata Communications;"
            "113 MetroPCS Communications;114 Leap Wireless;115 KDDI;116 Grupo Iusacell;117 China Telecom;"
            "118 Open Mobile Handset;201 Tessary;202 Vodafone;203 T-Mobile;204 Orange;205 Telefonica;"
            "206 Telecom Italia;207 3;208 O2;209 SFR;210 Swisscom AG;211 China Mobile;212 Telstra;"
            "213 Singapore Telecommunications;214 Reliance Communications;215 Bharti Airtel;"
            "216 NTT docomo;217 E Mobile;218 SoftBank;219 Korea Telecom Freetel;220 SK Telecom;"
            "221 Telenor;222 NetCom Norway;223 TeliaSonera;224 America Movil;");
}

}  // namespace
}  // namespace device_test
