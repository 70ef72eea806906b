// Firmware image switching: the images of the modem's image store, and flashing one of them.
#include <algorithm>
#include <string>
#include <vector>

#include "device/vesk_sdk.h"
#include "platform/directory.h"
#include "platform/path.h"
#include "trace/scope_trace.h"

namespace {

// Power modes in which the modem is about to go offline.
constexpr ULONG kPowerOffline = 3;
constexpr ULONG kPowerPoweringOff = 5;
constexpr uint32_t kImageSwitchAttachDelayMs = 10000;
// The record's path holds this many characters before its terminator.
constexpr std::size_t kImagePathLength = kHostTextLength - 1;
// What a string copy into a too small buffer reports.
constexpr int32_t kInsufficientBuffer = static_cast<int32_t>(0x8007007A);

// The depth-first collection of the image store's directories. A symbolic link to a directory inside
// the store (not the store itself) is listed as an image folder of its own, but the walk never goes
// through a link: what lies below it is listed under its real path. So links can neither lead the
// walk out of the store nor round in a loop, and what is listed does not depend on the names' order.
class DirectoryCollector {
 public:
  DirectoryCollector(IHostTraceLog* traceLog, int32_t category, const std::u16string& store)
      : traceLog_(traceLog), category_(category), store_(platform::CanonicalPath(store)) {}

  // Appends path's directories, each followed by its own; false when path cannot be listed (the
  // directories read before a failure part-way are still collected).
  bool Collect(const std::u16string& path, std::vector<std::u16string>* directories) {
    std::vector<platform::DirectoryEntry> entries;
    const uint32_t error = platform::ListDirectory(path, &entries);
    for (const platform::DirectoryEntry& entry : entries) {
      if (!entry.isDirectory) {
        continue;
      }
      const std::u16string child = platform::JoinPath(path, entry.name);
      if (entry.isLink && !MayList(child)) {
        continue;
      }
      directories->push_back(child);
      if (!entry.isLink) {
        Collect(child, directories);  // a failure below is traced there and does not end this level
      }
    }
    if (error != 0) {
      TraceDeviceMessage(traceLog_, category_, kTraceLevelError, u"Searching for directories failed (%lu)",
                         error);
      return false;
    }
    return true;
  }

 private:
  bool MayList(const std::u16string& link) const {
    return platform::IsBelow(platform::CanonicalPath(link), store_);
  }

  IHostTraceLog* traceLog_;
  int32_t category_;
  std::u16string store_;
};

}  // namespace

bool CVeskSDK::GetImageList(std::vector<ImageRecord>* images) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetImageList");
  if (!IsOpenFor("CVeskSDK::GetImageList")) {
    return false;
  }
  if (images == nullptr) {
    Trace(kTraceLevelError, u"GetImageList: no image list given");
    return false;
  }
  ULONG firmwareId = 0;
  ULONG technology = 0;
  ULONG carrier = 0;
  ULONG region = 0;
  ULONG gpsCapability = 0;
  ULONG result = facade_.GetFirmwareInfo(&firmwareId, &technology, &carrier, &region, &gpsCapability);
  if (result != 0) {
    Trace(kTraceLevelError, u"GetFirmwareInfo returned (%lu)", result);
    return false;
  }
  Trace(kTraceLevelInfo, u"Active Image: '%hs' %u %u %u",
        GetCarrierName(static_cast<int32_t>(carrier)).c_str(), technology, region, gpsCapability);

  WCHAR storeBuffer[kHostTextLength] = {};
  result = facade_.GetImageStoreW(kImagePathLength, storeBuffer);
  if (result != 0) {
    Trace(kTraceLevelError, u"GetImageStore returned (%lu)", result);
    return false;
  }
  storeBuffer[kImagePathLength] = u'\0';
  const std::u16string store(storeBuffer);
  Trace(kTraceLevelInfo, u"Image store %ls", store.c_str());

  std::vector<std::u16string> directories;
  DirectoryCollector collector(GetTraceLog(), GetTraceCategory(), store);
  if (!collector.Collect(store, &directories)) {
    return false;
  }

  std::vector<ImageRecord> records;
  for (const std::u16string& directory : directories) {
    ImageRecord record{};
    if (directory.size() > kImagePathLength) {
      Trace(kTraceLevelError, u"Could not copy image path %ls (%d)", directory.c_str(), kInsufficientBuffer);
      continue;
    }
    std::copy(directory.begin(), directory.end(), record.path);
    result = facade_.GetImageInfoW(record.path, &record.firmwareId, &record.technology, &record.carrier,
                                   &record.region, &record.gpsCapability);
    if (result == FILE_OPEN_FAILED) {
      Trace(kTraceLevelInfo, u"Unable to open file in %ls", record.path);
      continue;
    }
    if (result != 0) {
      Trace(kTraceLevelError, u"GetImageInfo returned (%lu) for subdirectory %ls", result, record.path);
      continue;
    }
    record.active = record.firmwareId == firmwareId && record.technology == technology &&
                    record.carrier == carrier && record.region == region &&
                    record.gpsCapability == gpsCapability;
    records.push_back(record);
  }

  *images = std::move(records);
  for (std::size_t i = 0; i < images->size(); ++i) {
    const ImageRecord& image = (*images)[i];
    Trace(kTraceLevelInfo, u"Image %u: '%hs' %u %u %u %ls '%ls'", static_cast<uint32_t>(i),
          GetCarrierName(static_cast<int32_t>(image.carrier)).c_str(), image.technology, image.region,
          image.gpsCapability, image.active ? u"A" : u"I", image.path);
  }
  return true;
}

bool CVeskSDK::StartImageSwitchingProcess(const char16_t* path) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::StartImageSwitchingProcess");
  if (path == nullptr) {
    Trace(kTraceLevelError, u"StartImageSwitchingProcess: no image path given");
    return false;
  }
  // Held throughout, so that the switch can overlap neither an attach nor a SIM evaluation.
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  if (!IsOpenFor("CVeskSDK::StartImageSwitchingProcess")) {
    return false;
  }
  Trace(kTraceLevelInfo, u"Switching to Vesk Image '%ls'", path);
  if (imageSwitchPending_) {
    Trace(kTraceLevelError, u"Vesk image switching already in progress");
    return false;
  }
  if (pcSleeping_ || !attachRequested_) {
    Trace(kTraceLevelError,
          u"Cannot updgrade image when PC in low power mode (suspended) or SDK is dettached");
    return false;
  }
  ULONG powerMode = 0;
  ULONG result = facade_.GetPower(&powerMode);
  if (result != 0) {
    Trace(kTraceLevelError, u"GetPower failed (%lu)", result);
    return false;
  }
  if (powerMode >= kPowerOffline && powerMode <= kPowerPoweringOff) {
    Trace(kTraceLevelError, u"Cannot updgrade image when Vesk device is about to go offline %d", powerMode);
    return false;
  }
  const bool startBlocked =
      WithInfo([](CachedCellularInfo& info) { return (info.deviceStateBits & kDeviceStateStartBlocked) != 0; });
  if (startBlocked) {
    Trace(kTraceLevelError, u"Cannot upgrade image when API is blocked");
    return false;
  }
  result = facade_.UpgradeFirmwareW(0, path);
  if (result != 0) {
    Trace(kTraceLevelError, u"UpgradeFirmware failed '%ls' (%lu)", path, result);
    return false;
  }
  Trace(kTraceLevelInfo, u"Vesk SDK detaching from device due to the start of vesk image switching");
  if (!DetachFromCellularDevice()) {
    Trace(kTraceLevelError, u"DetachFromDevice failed!!!");
  }
  if (!StartAttachProcess(kImageSwitchAttachDelayMs)) {
    Trace(kTraceLevelError, u"StartAttachProcess failed!!!");
    return false;
  }
  imageSwitchPending_ = true;
  return true;
}

bool CVeskSDK::IsImageSwitchingSupported() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::IsImageSwitchingSupported");
  return facade_.ConnectedGeneration() != VeskSDKFacade::NO_SDK_CONNECTED;
}
