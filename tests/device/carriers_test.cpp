// Carrier names of the firmware images' carrier IDs.
#include "device_test_host.h"

namespace device_test {
namespace {

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

INSTANTIATE_TEST_SUITE_P(
    Table, CarrierNameTest,
    testing::Values(CarrierRow{1, "Generic", false}, CarrierRow{118, "Open Mobile Handset", false},
                    CarrierRow{-1, "Unknown", false}, CarrierRow{201, "Tessary", false},
                    CarrierRow{207, "3", false}, CarrierRow{224, "America Movil", false},
                    // Names that two IDs share, each from its own row.
                    CarrierRow{107, "Telstra", false}, CarrierRow{212, "Telstra", false},
                    CarrierRow{110, "SK Telecom", false}, CarrierRow{220, "SK Telecom", false},
                    CarrierRow{0, "Undefined (0x0)", true}, CarrierRow{255, "Undefined (0xff)", true},
                    CarrierRow{300, "Undefined (0x12c)", true},
                    CarrierRow{-2, "Undefined (0xfffffffe)", true}));

}  // namespace
}  // namespace device_test
