#include "sim/modem_model.h"

#include <cstdio>

#include "sim/sms_pdu.h"

namespace vesksim {

Modem DefaultModem(size_t index) {
  Modem modem;
  char text[160];
  // The network interface of a USB device in the n-th port of the first bus, as a Linux machine's
  // sysfs shows it (examples/modem.umockdev describes the first one).
  std::snprintf(text, sizeof text,
                "\\\\?\\/devices/pci0000:00/0000:00:14.0/usb1/1-%zu/1-%zu:1.0#{5c1f0e3a-7d2b-4e61-9a0f-3b8c2d4e6f70}",
                index + 1, index + 1);
  modem.deviceId = text;
  std::snprintf(text, sizeof text, "VSK-%04zu", index + 1);
  modem.deviceKey = text;

  const SmsTimestamp received{9, 5, 12, 10, 30, 0, 8};
  modem.sms[0][0] = {1, BuildDeliverPdu("+15555550000", "+15555550123", received,
                                        "Welcome to Tessary. Your SIM is ready to use.")};
  modem.sms[0][1] = {0, BuildDeliverPdu("+15555550000", "+15555550123", {9, 5, 11, 9, 0, 0, 8},
                                        "This message was read before.")};
  modem.sms[1][0] = {
      1, BuildDeliverPdu("+15555550000", "+15555550142", {9, 5, 12, 11, 15, 42, 8}, "Meeting moved to 3pm")};

  modem.images = {{"tessary-umts", true, FirmwareInfo{3, 1, 201, 0, 1}, {}},
                  {"generic-cdma", true, FirmwareInfo{3, 0, 1, 0, 1}, {}}};
  return modem;
}

bool TrackingOn(const Modem& modem) {
  return modem.present && modem.pdsEnabled != 0 && (modem.serviceAutoTracking != 0 || modem.trackingSession);
}

bool HasSubscription(const Modem& modem) {
  return modem.firmware.technology == 0 ? modem.activationState != 0 : modem.simPresent;
}

}  // namespace vesksim
