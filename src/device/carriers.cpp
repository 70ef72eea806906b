// The carrier IDs that the modem's firmware images carry, and their names.
#include <cstdio>
#include <utility>

#include "device/vesk_sdk.h"

std::map<int32_t, std::string> CVeskSDK::LoadCarrierTable() {
  static constexpr std::pair<int32_t, const char*> kCarriers[] = {
      {1, "Generic"},
      {2, "Factory"},
      {3, "Radio Free"},
      {101, "Verizon"},
      {102, "Sprint"},
      {103, "Alltel"},
      {104, "Bell Mobility"},
      {105, "Telus"},
      {106, "U.S. Cellular"},
      {107, "Telstra"},
      {108, "China Unicom"},
      {109, "Telecom New Zealand"},
      {110, "SK Telecom"},
      {111, "Reliance Communications"},
      {112, "Tata Communications"},
      {113, "MetroPCS Communications"},
      {114, "Leap Wireless"},
      {115, "KDDI"},
      {116, "Grupo Iusacell"},
      {117, "China Telecom"},
      {118, "Open Mobile Handset"},
      {-1, "Unknown"},
      {201, "Tessary"},
      {202, "Vodafone"},
      {203, "T-Mobile"},
      {204, "Orange"},
      {205, "Telefonica"},
      {206, "Telecom Italia"},
      {207, "3"},
      {208, "O2"},
      {209, "SFR"},
      {210, "Swisscom AG"},
      {211, "China Mobile"},
      {212, "Telstra"},
      {213, "Singapore Telecommunications"},
      {214, "Reliance Communications"},
      {215, "Bharti Airtel"},
      {216, "NTT docomo"},
      {217, "E Mobile"},
      {218, "SoftBank"},
      {219, "Korea Telecom Freetel"},
      {220, "SK Telecom"},
      {221, "Telenor"},
      {222, "NetCom Norway"},
      {223, "TeliaSonera"},
      {224, "America Movil"},
  };
  std::map<int32_t, std::string> names;
  for (const auto& [id, name] : kCarriers) {
    names[id] = name;
  }
  return names;
}

std::string CVeskSDK::GetCarrierName(int32_t carrierId) {
  if (const auto found = carrierNames_.find(carrierId); found != carrierNames_.end()) {
    return found->second;
  }
  char name[32];
  std::snprintf(name, sizeof name, "Undefined (0x%x)", static_cast<unsigned>(carrierId));
  Trace(kTraceLevelError, u"Carrier 0x%x name undefined", carrierId);
  return name;
}
