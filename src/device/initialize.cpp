// The device initialisation that one attach attempt runs: choose and connect the modem, learn its
// firmware, announce it to the host and start watching its power mode.
#include <algorithm>
#include <array>
#include <cstring>

#include "device/vesk_sdk.h"
#include "netutil/device_info_helper.h"
#include "platform/text.h"
#include "trace/scope_trace.h"
#include "vesk/notifications.h"
#include "vesk/values.h"

namespace {

// A text field the library filled, read no further than its array even when it is not terminated.
std::string FieldText(const char* field, std::size_t size) {
  return std::string(field, strnlen(field, size));
}

}  // namespace

bool CVeskSDK::InitializeVesk() {
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::InitializeVesk");

  // The not-connectable bit stays until a connect succeeds: a modem that stays away is reported once,
  // not cleared and set again by every retry.
  ChangeDeviceStateBits(0, ~kDeviceStateNotConnectable);
  if (!ConnectDevice()) {
    return false;
  }
  ChangeDeviceStateBits(0, kDeviceStateNotConnectable);
  Trace(kTraceLevelInfo, u"SDK connected device to the SDK");

  ULONG firmwareId = 0;
  ULONG technology = 0;
  ULONG carrier = 0;
  ULONG region = 0;
  ULONG gpsCapability = 0;
  ULONG result = 0;
  bool haveFirmware = false;
  for (int attempt = 0; attempt < kFirmwareInfoAttempts; ++attempt) {
    Trace(kTraceLevelInfo, u"getting firmware info");
    result = facade_.GetFirmwareInfo(&firmwareId, &technology, &carrier, &region, &gpsCapability);
    if (result == 0) {
      haveFirmware = true;
      break;
    }
    Trace(kTraceLevelWarning, u"could not get the firmware info, waiting, and will try again (rc = %u)",
          result);
    // The wait doubles as the detach check: Close and every detach path signal this event first.
    if (detachEvent_.Wait(kDetachWaitMs)) {
      Trace(kTraceLevelInfo, u"\nRETURNING BEFORE GETTING DEVICE INFO BECAUSE OF DETACH");
      return true;
    }
  }
  if (!haveFirmware) {
    Trace(kTraceLevelError, u"GetFirmwareInfo failed (rc = %u)", result);
    gpsCapability = 0;
  } else {
    const std::u16string carrierName = platform::Widen(GetCarrierName(static_cast<int32_t>(carrier)));
    WithInfo([&](CachedCellularInfo& info) { CopyCachedText(info.carrierName, carrierName); });
    Trace(kTraceLevelInfo,
          u"Carrier Image Info:\n---------------------\n"
          u"Firmware ver  : %d\n"
          u"technology    : %ws\n"
          u"Carrier ID    : %d\n"
          u"Carrier desc  : %ws (we maintain the ID to text mapping for this)\n"
          u"Region        : %d\n"
          u"GPS           : %ws\n",
          firmwareId, technology == 0 ? u"CDMA" : u"UMTS", carrier, carrierName.c_str(), region,
          gpsCapability != 0 ? u"YES" : u"NO");

    if (technology == 0 || technology == 1) {
      Trace(kTraceLevelInfo,
            technology == 0 ? u"CDMA technology (from firmware)" : u"UMTS technology (from firmware)");
    } else {
      Trace(kTraceLevelError, u"UNKNOWN technology (from firmware)");
    }
    WithInfo([&](CachedCellularInfo& info) {
      const uint32_t before = info.deviceStateBits;
      if (technology == 0 || technology == 1) {
        info.technology = technology == 0 ? TECHNOLOGY_CDMA : TECHNOLOGY_UMTS;
        info.deviceStateBits &= ~kDeviceStateUnknownTechnology;
      } else {
        info.deviceStateBits |= kDeviceStateUnknownTechnology;
      }
      if (info.deviceStateBits != before) {
        PostNotification(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE, info.deviceStateBits, 0);
      }
    });
  }

  const bool haveDeviceId = AnnounceConnectedDevice(gpsCapability);

  lastPowerMode_ = 0;
  if (!devicePowerStateTimer_->Start(0, kDevicePowerStatePeriodMs)) {
    Trace(kTraceLevelError, u"could not start the device power state timer");
  }

  if (!haveDeviceId) {
    Trace(kTraceLevelError,
          u"Because did not get device ID, bailing out early from initialization routine, not generating "
          u"attach event, and waiting for timer to detach from device");
    return true;
  }

  if (WithInfo([](CachedCellularInfo& info) { return info.technology; }) == TECHNOLOGY_CDMA) {
    Trace(kTraceLevelInfo, u"detected a Vesk device in CDMA mode, checking account activation");
    EvaluateCDMAAccountActivation();
  } else {
    Trace(kTraceLevelInfo, u"detected a Vesk device is GSM mode, checking the SIM status");
    EvaluateSimStatus();
    Trace(kTraceLevelInfo, u"Trying to Read SMS on sim/device");
    ProcessStoredSmsMessages();
  }

  if (imageSwitchPending_.exchange(false)) {
    PostNotification(WWAN_NOTIFICATION_VESK_IMAGE_SWITCHING_COMPLETE, 0, 0);
  }
  return true;
}

bool CVeskSDK::ConnectDevice() {
  bool connectCalled = false;
  ULONG result = 0;
  if (!hostDeviceId_.empty()) {
    std::array<VendorDeviceRecord, kEnumeratedDeviceCount> devices{};
    BYTE count = kEnumeratedDeviceCount;
    const ULONG listed = facade_.QCWWAN2kEnumerateDevices(&count, reinterpret_cast<BYTE*>(devices.data()));
    if (listed != 0) {
      Trace(kTraceLevelInfo,
            u"Could not get list of enumerated devices, will try to attach to any device, 0x%x", listed);
    } else if (count == 0) {
      Trace(kTraceLevelInfo, u"List of enumerated devices is empty, will try to attach to any device");
    } else {
      // A library that claims more records than it was given room for is not read beyond the room.
      const int listedCount = std::min<int>(count, kEnumeratedDeviceCount);
      Trace(kTraceLevelInfo, u"Got list of enumerated devices, numDevices = %d, looking for device '%ws'",
            listedCount, hostDeviceId_.c_str());
      const VendorDeviceRecord* match = FindHostDevice(devices.data(), listedCount);
      if (match == nullptr) {
        Trace(kTraceLevelError, u"****> DID NOT FIND DEVICE '%ws'", hostDeviceId_.c_str());
        ChangeDeviceStateBits(kDeviceStateNotConnectable, 0);
        return false;
      }
      const std::string deviceId = FieldText(match->deviceID, sizeof match->deviceID);
      const std::string deviceKey = FieldText(match->deviceKey, sizeof match->deviceKey);
      result = facade_.Connect(deviceId.c_str(), deviceKey.c_str());
      connectCalled = true;
    }
  }
  if (!connectCalled) {
    Trace(kTraceLevelInfo, u"connecting the SDK to the first QC WWAN device detected");
    result = facade_.Connect(nullptr, nullptr);
  }
  if (result == 0) {
    return true;
  }
  ChangeDeviceStateBits(kDeviceStateNotConnectable, 0);
  if (result == NO_WWAN_DEVICE) {
    Trace(kTraceLevelInfo, u"..............................................");
    Trace(kTraceLevelInfo, u"no vesk device was found (rc = %d)", result);
    Trace(kTraceLevelInfo, u"..............................................");
  } else {
    Trace(kTraceLevelError, u"problem connecting QC WWAN device (rc = %d)", result);
  }
  return false;
}

const VendorDeviceRecord* CVeskSDK::FindHostDevice(const VendorDeviceRecord* devices, int count) {
  NetUtilities::DeviceInfoHelper helper(GetTraceLog(), GetTraceCategory());
  for (int i = 0; i < count; ++i) {
    const std::u16string deviceId =
        platform::Widen(FieldText(devices[i].deviceID, sizeof devices[i].deviceID));
    Trace(kTraceLevelVerbose, u"Current ID '%ws'", deviceId.c_str());
    std::u16string instanceId;
    if (!helper.InterfaceNameToInstanceId(deviceId, instanceId)) {
      Trace(kTraceLevelError, u"Could not get device instance ID from dbcc name!  Dbcc name = '%ws'",
            deviceId.c_str());
      continue;
    }
    DeviceInfoTree tree;
    if (!helper.GetDeviceInfo(instanceId, tree) || tree.nodes.empty()) {
      Trace(kTraceLevelError, u"Could not get device info from device instance ID! dbcc = '%ws', id = '%ws'",
            deviceId.c_str(), instanceId.c_str());
      continue;
    }
    if (tree.nodes.front().id == hostDeviceId_) {
      return &devices[i];
    }
  }
  return nullptr;
}

bool CVeskSDK::AnnounceConnectedDevice(ULONG gpsCapability) {
  char connectedId[260] = {};
  const ULONG result = facade_.QCWWANGetConnectedDeviceID(sizeof connectedId, connectedId);
  if (result != 0) {
    Trace(kTraceLevelError, u"could not get the id of the device the SDK is connected to (%d)", result);
    return false;
  }
  const std::string deviceId = FieldText(connectedId, sizeof connectedId);
  Trace(kTraceLevelInfo, u"SDK is currently connected to %s", deviceId.c_str());

  const std::u16string wideDeviceId = platform::Widen(deviceId);
  NetUtilities::DeviceInfoHelper helper(GetTraceLog(), GetTraceCategory());
  std::u16string instanceId;
  if (!helper.InterfaceNameToInstanceId(wideDeviceId, instanceId)) {
    instanceId.clear();
    Trace(kTraceLevelError, u"Could not get device instance ID from dbcc ID");
  } else if (DeviceInfoTree tree; !helper.GetDeviceInfo(instanceId, tree) || tree.nodes.empty()) {
    Trace(kTraceLevelError, u"Could not get device info for '%ws'", instanceId.c_str());
  } else {
    SetAdapterText(helper.GetAdapterName(tree).c_str());
    instanceId = tree.nodes.front().id;
    SetNmeaPortFromDeviceList(tree.nodes);
    if (!GetNmeaPortName().empty() && gpsCapability != 0) {
      Trace(kTraceLevelInfo, u"GPS is fully supported");
      gpsSupported_ = true;
    }
  }
  SetPortText(instanceId.empty() ? wideDeviceId.c_str() : instanceId.c_str());
  Trace(kTraceLevelInfo, u"notify netmon that we have a device");
  PostAttachAnnouncement(true);
  return true;
}

void CVeskSDK::ChangeDeviceStateBits(uint32_t set, uint32_t clear) {
  WithInfo([&](CachedCellularInfo& info) {
    const uint32_t before = info.deviceStateBits;
    info.deviceStateBits = (before | set) & ~clear;
    if (info.deviceStateBits != before) {
      PostNotification(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE, info.deviceStateBits, 0);
    }
  });
}
