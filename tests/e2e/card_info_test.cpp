// The card information record of an attached modem, read byte by byte at the host's offsets.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "e2e_host.h"
#include "platform/text.h"
#include "vesk/values.h"

namespace e2e {
namespace {

// The text at a byte offset, as the host decodes it: UTF-16 terminated within its 261 characters.
std::string TextAt(const CellularCardInfo& info, std::size_t offset) {
  char16_t field[kHostTextLength];
  std::memcpy(field, reinterpret_cast<const unsigned char*>(&info) + offset, sizeof field);
  const auto end = std::find(field, field + kHostTextLength, u'\0');
  EXPECT_NE(end, field + kHostTextLength) << "no terminator at offset " << offset;
  return platform::Narrow(std::u16string_view(field, end - field));
}

// Attached to a modem with known identities, the cache filled by the information pass.
TEST_F(EndToEndTest, CardInformationHoldsTheCachedStateAtTheHostsOffsets) {
  TwoModems modems;
  AttachAndWait("[modem]\ndevice_id = " + modems.InterfaceName(1) +
                "\nmodel_id = 88\nfirmware_revision = R7.1.2 [build 77]\namss_revision = A7.1.2\n"
                "boot_revision = B7.0\npri_revision = PRI 7.7\nesn = 80A1B2C3\nimei = 359876543210987\n"
                "[firmware]\ncarrier = 212\n[sim]\nimsi = 001019876543210\n"
                "iccid = 8900109876543210\n[account]\nvoice_number = +15555550142\n[radio]\nsignal = -88\n"
                "[network]\nhome_mcc = 310\nhome_mnc = 260\nhome_name = Tessary Home\nserving_mcc = 310\n"
                "serving_mnc = 4\nserving_name = Roamer\n");
  // What the modem reports only later.
  sdk_->WithInfo([&](CachedCellularInfo& info) {
    info.bytesTransmitted = 5000000000ull;
    info.bytesReceived = (1ull << 40) + 7;
    info.simStatusBits = 0x2;
    info.deviceStateBits = 0x24;  // bits the power monitor leaves alone
  });
  const auto info = std::make_unique<CellularCardInfo>();
  const auto readCard = [&](const CachedDefaultProfile& profile, const CachedActiveConnection& connection) {
    sdk_->SetCachedDefaultProfile(&profile);
    sdk_->SetActiveConnection(&connection);
    std::memset(info.get(), 0xCD, sizeof *info);
    EXPECT_TRUE(sdk_->GetCellularCardInfo(info.get()));
  };
  readCard({1, 1, u"Default", u"internet.tess", u"alice"}, {1, u"manual.apn", u"carol"});

  // clang-format off
  const std::pair<std::size_t, const char*> texts[] = {
      {0, "Vesk HS-USB Modem"}, {522, "USB\\VID_12AB&PID_34CD\\1111"}, {2092, "Vesk MDM-1000 (88)"},
      {2614, "310260"}, {3136, "3104"}, {3658, "Vesk Wireless"}, {4180, "R7.1.2 "}, {4702, "build 77"},
      {5224, "+15555550142"}, {5746, "Vesk2000"}, {6268, "Tessary Home"}, {6790, "Roamer"},
      {7312, "359876543210987"}, {7834, "8900109876543210"}, {9922, "Telstra"},
      {10444, "N/A (Vesk does not support retrieving modem port info)"}, {11488, "310"}, {12010, "260"},
      {12532, "N/A (Vesk does not support retrieving LAC info)"}, {13576, "55"}, {14098, "-88"},
      {14620, "001019876543210"}, {15142, "internet.tess (auto)"}, {15664, "alice"},
      {17230, "5000000000"}, {17752, "1099511627783"}};
  const std::pair<std::size_t, std::size_t> reserved[] = {{1048, 1044}, {8356, 1566}, {10966, 522},
      {13054, 522}, {16186, 1044}, {18274, 522}, {18800, 4}, {18808, 4}, {18813, 3}};
  // clang-format on
  const auto numberAt = [&](std::size_t offset) {
    uint32_t number;
    std::memcpy(&number, reinterpret_cast<const unsigned char*>(info.get()) + offset, sizeof number);
    return number;
  };
  for (const auto& [offset, text] : texts) {
    EXPECT_EQ(TextAt(*info, offset), text) << "offset " << offset;
  }
  EXPECT_EQ((std::vector{numberAt(1044), numberAt(18796), numberAt(18804)}),
            (std::vector<uint32_t>{TECHNOLOGY_UMTS, 0x2, 0x24}));
  const auto* bytes = reinterpret_cast<const unsigned char*>(info.get());
  EXPECT_EQ(bytes[18812], 1);  // a GPS-capable image and an NMEA port
  for (const auto& [offset, size] : reserved) {
    EXPECT_EQ(std::count(bytes + offset, bytes + offset + size, 0), static_cast<std::ptrdiff_t>(size))
        << "reserved at " << offset;
  }

  // Without a session the modem keeps up by itself, the one this module started names the connection.
  for (const auto& [autoconnect, connected, valid, expected] :
       {std::tuple{1, 0, 1, "manual.apn|carol"}, {0, 1, 1, "manual.apn|carol"}, {1, 0, 0, "|"}}) {
    readCard({uint8_t(autoconnect), uint8_t(connected), u"Default", u"internet.tess", u"alice"},
             {uint8_t(valid), u"manual.apn", u"carol"});
    EXPECT_EQ(TextAt(*info, 15142) + "|" + TextAt(*info, 15664), expected);
  }
}

}  // namespace
}  // namespace e2e
