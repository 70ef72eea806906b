// Records exchanged between the host and the module.
//
// CellularCardInfo, ImageRecord, SmsEvent and ByteTotals have exact byte layouts (checked below);
// every text field is a zero-terminated array of 261 UTF-16 characters. GpsInfo, DeviceNode and
// DeviceInfoTree hold standard-library members and are shared only between C++ code built with the
// same standard library.
#ifndef VESK_RECORDS_H
#define VESK_RECORDS_H

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// Characters of every text field in a host record, the terminator included.
inline constexpr std::size_t kHostTextLength = 261;

using HostText = char16_t[kHostTextLength];

// The card information the host reads with ICellularSDK::GetCellularCardInfo. Plain data: a host may
// zero it with `CellularCardInfo info{};`. The reserved fields stay zero.
struct CellularCardInfo {
  HostText adapterText;
  HostText portText;
  uint32_t technology;  // 0 unknown, 1 CDMA, 2 UMTS
  HostText reserved1;
  HostText reserved2;
  HostText modelDescription;
  HostText homeNetworkCode;
  HostText servingNetworkCode;
  HostText manufacturer;
  HostText firmwareRevision;
  HostText firmwareRevisionTag;
  HostText voiceNumber;
  HostText libraryGeneration;
  HostText homeNetworkName;
  HostText servingNetworkName;
  HostText serialNumber;
  HostText iccid;
  HostText reserved3;
  HostText reserved4;
  HostText reserved5;
  HostText carrierName;
  HostText modemPort;
  HostText reserved6;
  HostText homeMcc;
  HostText homeMnc;
  HostText locationAreaCode;
  HostText reserved7;
  HostText signalPercent;
  HostText signalDbm;
  HostText imsi;
  HostText connectionName;
  HostText userName;
  HostText reserved8;
  HostText reserved9;
  HostText bytesTransmitted;
  HostText bytesReceived;
  HostText reserved10;
  uint32_t simStatusBits;
  uint32_t reserved11;
  uint32_t deviceStateBits;
  uint32_t reserved12;
  uint8_t gpsSupported;  // 0 or 1
  uint8_t reserved13[3];
};

// One firmware carrier image of the modem's image store.
struct ImageRecord {
  HostText path;  // the image directory
  uint32_t firmwareId;
  uint32_t technology;
  uint32_t carrier;
  uint32_t region;
  uint32_t gpsCapability;
  bool active;  // the five numbers equal those of the running image
};

// The payload of WWAN_NOTIFICATION_GPS_INFO_CHANGED. Default-constructed, it is the no-fix state.
struct GpsInfo {
  static constexpr double kUnknown = 999.0;
  static constexpr uint8_t kUnknownSatellites = 255;

  uint8_t hasFix = 0;
  std::u16string sourceText;    // the NMEA port name
  double latitude = kUnknown;   // degrees, north positive
  double longitude = kUnknown;  // degrees, east positive
  double heading = kUnknown;
  uint8_t headingValid = 0;
  double speed = kUnknown;  // metres per second
  uint8_t speedValid = 0;
  double altitude = kUnknown;
  uint8_t altitudeValid = 0;
  uint8_t satellites = kUnknownSatellites;
  uint8_t satellitesValid = 0;
};

// The payload of WWAN_NOTIFICATION_SMS_EVENT. The record and both strings come from the task
// allocator; free each with CoTaskMemFree.
struct SmsEvent {
  char16_t* sender;
  char16_t* body;
  uint64_t timestamp;
};

// The payload of WWAN_NOTIFICATION_BYTES_TX_RX.
struct ByteTotals {
  uint64_t transmitted;
  uint64_t received;
};

// One Plug-and-Play device node of a modem (kinds: see values.h).
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

// The device tree of one modem, as the host names it to AttachToCellularDevice.
struct DeviceInfoTree {
  std::u16string pid;
  std::u16string vid;
  std::vector<DeviceNode> nodes;
};

// Frees memory that the module allocated with its task allocator (SMS payloads): on Windows the COM
// task allocator's own function (ole32), declared as the system headers declare it.
#if defined(_WIN32)
extern "C" __declspec(dllimport) void __stdcall CoTaskMemFree(void* block);
#else
inline void CoTaskMemFree(void* block) {
  std::free(block);
}
#endif

// Layout checks: hosts built with other compilers rely on these offsets.
static_assert(sizeof(char16_t) == 2, "host text is UTF-16");
static_assert(offsetof(CellularCardInfo, adapterText) == 0);
static_assert(offsetof(CellularCardInfo, portText) == 522);
static_assert(offsetof(CellularCardInfo, technology) == 1044);
static_assert(offsetof(CellularCardInfo, reserved1) == 1048);
static_assert(offsetof(CellularCardInfo, reserved2) == 1570);
static_assert(offsetof(CellularCardInfo, modelDescription) == 2092);
static_assert(offsetof(CellularCardInfo, homeNetworkCode) == 2614);
static_assert(offsetof(CellularCardInfo, servingNetworkCode) == 3136);
static_assert(offsetof(CellularCardInfo, manufacturer) == 3658);
static_assert(offsetof(CellularCardInfo, firmwareRevision) == 4180);
static_assert(offsetof(CellularCardInfo, firmwareRevisionTag) == 4702);
static_assert(offsetof(CellularCardInfo, voiceNumber) == 5224);
static_assert(offsetof(CellularCardInfo, libraryGeneration) == 5746);
static_assert(offsetof(CellularCardInfo, homeNetworkName) == 6268);
static_assert(offsetof(CellularCardInfo, servingNetworkName) == 6790);
static_assert(offsetof(CellularCardInfo, serialNumber) == 7312);
static_assert(offsetof(CellularCardInfo, iccid) == 7834);
static_assert(offsetof(CellularCardInfo, reserved3) == 8356);
static_assert(offsetof(CellularCardInfo, reserved4) == 8878);
static_assert(offsetof(CellularCardInfo, reserved5) == 9400);
static_assert(offsetof(CellularCardInfo, carrierName) == 9922);
static_assert(offsetof(CellularCardInfo, modemPort) == 10444);
static_assert(offsetof(CellularCardInfo, reserved6) == 10966);
static_assert(offsetof(CellularCardInfo, homeMcc) == 11488);
static_assert(offsetof(CellularCardInfo, homeMnc) == 12010);
static_assert(offsetof(CellularCardInfo, locationAreaCode) == 12532);
static_assert(offsetof(CellularCardInfo, reserved7) == 13054);
static_assert(offsetof(CellularCardInfo, signalPercent) == 13576);
static_assert(offsetof(CellularCardInfo, signalDbm) == 14098);
static_assert(offsetof(CellularCardInfo, imsi) == 14620);
static_assert(offsetof(CellularCardInfo, connectionName) == 15142);
static_assert(offsetof(CellularCardInfo, userName) == 15664);
static_assert(offsetof(CellularCardInfo, reserved8) == 16186);
static_assert(offsetof(CellularCardInfo, reserved9) == 16708);
static_assert(offsetof(CellularCardInfo, bytesTransmitted) == 17230);
static_assert(offsetof(CellularCardInfo, bytesReceived) == 17752);
static_assert(offsetof(CellularCardInfo, reserved10) == 18274);
static_assert(offsetof(CellularCardInfo, simStatusBits) == 18796);
static_assert(offsetof(CellularCardInfo, reserved11) == 18800);
static_assert(offsetof(CellularCardInfo, deviceStateBits) == 18804);
static_assert(offsetof(CellularCardInfo, reserved12) == 18808);
static_assert(offsetof(CellularCardInfo, gpsSupported) == 18812);
static_assert(offsetof(CellularCardInfo, reserved13) == 18813);
static_assert(sizeof(CellularCardInfo) == 18816);

static_assert(sizeof(bool) == 1);
static_assert(offsetof(ImageRecord, path) == 0);
static_assert(offsetof(ImageRecord, firmwareId) == 524);
static_assert(offsetof(ImageRecord, technology) == 528);
static_assert(offsetof(ImageRecord, carrier) == 532);
static_assert(offsetof(ImageRecord, region) == 536);
static_assert(offsetof(ImageRecord, gpsCapability) == 540);
static_assert(offsetof(ImageRecord, active) == 544);
static_assert(sizeof(ImageRecord) == 548);

static_assert(offsetof(SmsEvent, sender) == 0);
static_assert(offsetof(SmsEvent, body) == sizeof(char16_t*));
static_assert(offsetof(SmsEvent, timestamp) == 2 * sizeof(char16_t*));
static_assert(sizeof(SmsEvent) == 2 * sizeof(char16_t*) + sizeof(uint64_t));

static_assert(offsetof(ByteTotals, transmitted) == 0);
static_assert(offsetof(ByteTotals, received) == 8);
static_assert(sizeof(ByteTotals) == 16);

#endif  // VESK_RECORDS_H
