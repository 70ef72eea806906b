// Records exchanged between the host and the module. Layouts are exact and checked.
// (Partial: CellularCardInfo, GpsInfo, SmsEvent, ByteTotals and the full checks are still to come.)
#ifndef VESK_RECORDS_H
#define VESK_RECORDS_H

#include <cstdint>
#include <string>
#include <vector>

struct CellularCardInfo;

struct ImageRecord;

struct DeviceNode {
  std::u16string pid;
  std::u16string vid;
  std::u16string id;
  std::u16string friendlyName;
  std::u16string deviceDescription;
  std::u16string service;
  std::u16string driverKey;
  std::u16string manufacturer;
  std::u16string comPort;
  std::u16string hardwareId0;
  std::u16string settingId;
  int32_t kind = 0;
  bool disabled = false;
  bool hasWwanDrivers = false;
};

struct DeviceInfoTree {
  std::u16string pid;
  std::u16string vid;
  std::vector<DeviceNode> nodes;
};

#endif  // VESK_RECORDS_H
