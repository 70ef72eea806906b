// What one simulated modem is and remembers. Plain data: the simulator guards it with its state lock,
// the scenario parser fills it, the entry points read and change it.
#pragma once

#include "sim/nmea_feed.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vesksim {

struct FirmwareInfo {
  uint32_t firmwareId = 3;
  uint32_t technology = 1;  // 0 CDMA, 1 UMTS
  uint32_t carrier = 201;
  uint32_t region = 0;
  uint32_t gpsCapability = 1;

  bool operator==(const FirmwareInfo&) const = default;
};

// A sub-folder of the image store; without an image file when hasImage is false.
struct ImageSpec {
  std::string folder;  // relative to the store, "/" between levels
  bool hasImage = true;
  FirmwareInfo info;
  std::string linkTarget;  // not empty: the folder is a symbolic link to this path instead
};

struct SignalReading {
  int8_t dbm = -75;
  uint32_t radioInterface = 5;  // 0 none, 1 1xRTT, 2 1xEV-DO, 3 AMPS, 4 GSM, 5 UMTS
};

struct StoredSms {
  uint32_t tag = 1;  // 0 read, 1 not read, 2 sent, 3 not sent
  std::vector<uint8_t> pdu;
};

struct Profile {
  uint32_t pdpType = 0;
  uint32_t ipAddress = 0;
  uint32_t primaryDns = 0;
  uint32_t secondaryDns = 0;
  uint32_t authentication = 0;
  std::string name = "Default";
  std::string apn = "internet";
  std::string userName;
  std::string password;
};

// SIM PIN states, as UIMGetPINStatus reports them.
enum PinStatus : uint32_t {
  kPinUnknown = 0xFFFFFFFF,
  kPinUninitialized = 0,
  kPinEnabledNotVerified = 1,
  kPinEnabledVerified = 2,
  kPinDisabled = 3,
  kPinBlocked = 4,
  kPinPermanentlyBlocked = 5,
};

struct SimPin {
  uint32_t status = kPinEnabledNotVerified;
  std::string code = "1234";
  std::string puk = "12345678";
  uint32_t maxRetries = 3;
  uint32_t maxUnblockRetries = 10;
  uint32_t retries = 3;
  uint32_t unblockRetries = 10;
};

enum SessionState : uint32_t {
  kSessionDisconnected = 1,
  kSessionConnected = 2,
  kSessionSuspended = 3,
  kSessionAuthenticating = 4,
};

struct Modem {
  // Which library file drives it: 2000 (libQCWWAN2k.so) or 1000 (libQCWWAN.so).
  uint32_t generation = 2000;
  std::string deviceId;
  std::string deviceKey;
  bool present = true;

  // Identity
  FirmwareInfo firmware;
  std::string modelId = "12";
  std::string manufacturer = "Vesk Wireless";
  std::string firmwareRevision = "V2.0.3.12 [2009-05-12 10:00:00]";
  std::string amssRevision = "V2.0.3.12";
  std::string bootRevision = "B1.4.0";
  std::string priRevision = "PRI 2.12";
  std::string esn;
  std::string imei = "356938035643809";
  std::string meid;
  std::string spc = "317529";

  // SIM and account
  bool simPresent = true;
  SimPin pin1;
  SimPin pin2{kPinDisabled, "5678", "87654321", 3, 10, 3, 10};
  std::string imsi = "001010123456789";
  std::string iccid = "8900101234567890123";
  std::string voiceNumber = "+15555550100";
  std::string min = "5555550100";
  uint32_t activationState = 1;  // 0 not activated
  std::string activatedVoiceNumber = "+15555550199";
  std::string activatedMin = "5555550199";
  uint32_t lockState = 0;

  // Power and radio
  uint32_t powerMode = 0;
  SignalReading signal;
  std::vector<SignalReading> signals{{-75, 5}, {-81, 4}};
  std::vector<uint32_t> dataCaps{3, 4};
  uint32_t networkPreference = 0;
  uint32_t networkPreferenceDuration = 0;
  uint32_t persistentNetworkPreference = 0;

  // Networks
  uint16_t homeMcc = 310;
  uint16_t homeMnc = 26;
  std::string homeName = "Tessary";
  uint16_t homeSid = 0;
  uint16_t homeNid = 0;
  uint32_t registrationState = 1;
  uint32_t csDomain = 1;
  uint32_t psDomain = 1;
  uint32_t ran = 2;
  std::vector<uint8_t> radioInterfaces{5};
  uint32_t roaming = 1;  // 0 roaming, 1 home, 2 partner
  uint16_t servingMcc = 310;
  uint16_t servingMnc = 26;
  std::string servingName = "Tessary";

  // Data session
  uint32_t autoconnect = 0;
  Profile defaultProfile;
  uint32_t sessionState = kSessionDisconnected;
  uint32_t sessionId = 0;
  uint32_t nextSessionId = 0x5E55;
  uint32_t startResult = 0;  // StartDataSession's answer; non-zero refuses every start
  uint32_t endReason = 0;    // non-zero: sessions fail after authenticating, with this reason
  std::string sessionApn;
  std::string sessionUser;
  uint64_t bytesTx = 0;
  uint64_t bytesRx = 0;
  uint32_t txRate = 1200;  // bytes per second while connected
  uint32_t rxRate = 48000;
  // The user name and password the network takes for the modem's own (autoconnect) sessions, checked
  // against the default profile; unset: any.
  std::optional<std::string> acceptedUser;
  std::optional<std::string> acceptedPassword;

  // SMS storage by index: 0 the SIM, 1 the device memory
  std::map<uint32_t, StoredSms> sms[2];

  // Firmware images in the store; the running one is told by firmware above.
  std::vector<ImageSpec> images;
  // Not empty: an existing folder that is the store as it stands (images above are then not made).
  std::string imageStore;

  // GPS
  uint32_t pdsEnabled = 0;
  uint32_t serviceAutoTracking = 0;
  uint32_t portAutoTracking = 0;
  bool trackingSession = false;
  std::vector<std::string> nmeaSentences;  // empty: the fixes of nmeaTrack
  std::vector<TrackPoint> nmeaTrack;       // empty: the built-in track
};

// The built-in modem: UMTS, second generation, SIM locked by PIN 1234, stored SMS, GPS, two images.
// index picks a distinct device ID and key for further modems of a scenario.
Modem DefaultModem(size_t index = 0);

// Whether the GPS is tracking: PDS enabled and either automatic tracking or a tracking session on.
bool TrackingOn(const Modem& modem);

// Whether the SIM-dependent reads (IMSI, ICCID, voice number) have something to give.
bool HasSubscription(const Modem& modem);

}  // namespace vesksim
