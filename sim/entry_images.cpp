// The firmware image store: where it is, what each image folder holds, and flashing one.
#include <algorithm>
#include <filesystem>
#include <string>

#include "facade/vendor_api.h"
#include "sim/simulator.h"
#include "sim/text_out.h"

using vesksim::ImageStore;
using vesksim::Modem;
using vesksim::Simulator;

namespace {

// Clients written for Windows may join folders with backslashes.
std::filesystem::path FolderOf(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return std::filesystem::path(path);
}

ULONG ImageInfo(const char* entryPoint, const std::optional<std::string>& path, ULONG* pFirmwareID,
                ULONG* pTechnology, ULONG* pCarrier, ULONG* pRegion, ULONG* pGPSCapability) {
  return Simulator::Get().Connected(entryPoint, [&](Modem&) -> ULONG {
    if (!path || !pFirmwareID || !pTechnology || !pCarrier || !pRegion || !pGPSCapability) {
      return INVALID_ARGUMENT;
    }
    const auto info = ImageStore::ReadImage(FolderOf(*path));
    if (!info) {
      return FILE_OPEN_FAILED;
    }
    *pFirmwareID = info->firmwareId;
    *pTechnology = info->technology;
    *pCarrier = info->carrier;
    *pRegion = info->region;
    *pGPSCapability = info->gpsCapability;
    return 0;
  });
}

// The modem resets and comes back running the image.
ULONG Upgrade(const char* entryPoint, const std::optional<std::string>& path) {
  Simulator& sim = Simulator::Get();
  return sim.Connected(entryPoint, [&](Modem&) -> ULONG {
    if (!path) {
      return INVALID_ARGUMENT;
    }
    const auto info = ImageStore::ReadImage(FolderOf(*path));
    if (!info) {
      return FILE_OPEN_FAILED;
    }
    sim.Restart(sim.connectedIndex(), 4, info);
    return 0;
  });
}

std::optional<std::string> Narrow(const char* path) {
  return path == nullptr ? std::nullopt : std::optional<std::string>(path);
}

std::optional<std::string> Narrow(const WCHAR* path) {
  return path == nullptr ? std::nullopt : std::optional<std::string>(vesksim::ToUtf8(path));
}

}  // namespace

extern "C" {

ULONG GetImageStoreW(ULONG pathSize, WCHAR* pImageStorePath) {
  Simulator& sim = Simulator::Get();
  return sim.Connected("GetImageStoreW", [&](Modem&) -> ULONG {
    if (pImageStorePath == nullptr || pathSize == 0) {
      return INVALID_ARGUMENT;
    }
    vesksim::CopyText(vesksim::ToUtf16(sim.imageStore().Path().string()), pathSize, pImageStorePath);
    return 0;
  });
}

// (ULONG pathSize, char* pImageStorePath)
ULONG GetImageStoreA(uintptr_t pathSize, uintptr_t pImageStorePath) {
  Simulator& sim = Simulator::Get();
  return sim.Connected("GetImageStoreA", [&](Modem&) -> ULONG {
    if (pImageStorePath == 0 || pathSize == 0) {
      return INVALID_ARGUMENT;
    }
    vesksim::CopyText(sim.imageStore().Path().string(), static_cast<ULONG>(pathSize),
                      reinterpret_cast<char*>(pImageStorePath));
    return 0;
  });
}

ULONG GetImageInfoW(const WCHAR* pPath, ULONG* pFirmwareID, ULONG* pTechnology, ULONG* pCarrier,
                    ULONG* pRegion, ULONG* pGPSCapability) {
  return ImageInfo("GetImageInfoW", Narrow(pPath), pFirmwareID, pTechnology, pCarrier, pRegion,
                   pGPSCapability);
}

// (const char* pPath, then as GetImageInfoW)
ULONG GetImageInfoA(uintptr_t pPath, uintptr_t pFirmwareID, uintptr_t pTechnology, uintptr_t pCarrier,
                    uintptr_t pRegion, uintptr_t pGPSCapability) {
  return ImageInfo("GetImageInfoA", Narrow(reinterpret_cast<const char*>(pPath)),
                   reinterpret_cast<ULONG*>(pFirmwareID), reinterpret_cast<ULONG*>(pTechnology),
                   reinterpret_cast<ULONG*>(pCarrier), reinterpret_cast<ULONG*>(pRegion),
                   reinterpret_cast<ULONG*>(pGPSCapability));
}

ULONG UpgradeFirmwareW(ULONG flags, const WCHAR* pDestinationPath) {
  (void)flags;
  return Upgrade("UpgradeFirmwareW", Narrow(pDestinationPath));
}

// (ULONG flags, const char* pDestinationPath)
ULONG UpgradeFirmwareA(uintptr_t, uintptr_t pDestinationPath) {
  return Upgrade("UpgradeFirmwareA", Narrow(reinterpret_cast<const char*>(pDestinationPath)));
}

// (const WCHAR* pDestinationPath)
ULONG UpgradeFirmware2kW(uintptr_t pDestinationPath) {
  return Upgrade("UpgradeFirmware2kW", Narrow(reinterpret_cast<const WCHAR*>(pDestinationPath)));
}

// (const char* pDestinationPath)
ULONG UpgradeFirmware2kA(uintptr_t pDestinationPath) {
  return Upgrade("UpgradeFirmware2kA", Narrow(reinterpret_cast<const char*>(pDestinationPath)));
}

}  // extern "C"
