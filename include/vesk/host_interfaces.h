// The interfaces between a connection-manager host and the Vesk plug-in module.
//
// The host owns the three host objects it passes to ConstructSDK and the object it gets back, which it
// ends with Release(). Slot orders are fixed: hosts rely on the virtual-table layouts.
#ifndef VESK_HOST_INTERFACES_H
#define VESK_HOST_INTERFACES_H

#include <cstdint>
#include <vector>

#include "vesk/records.h"

// Receives every notification, one at a time, on the module's notification thread.
class IHostNotificationSink {
 public:
  virtual void OnNotification(int32_t code, uintptr_t param1, uintptr_t param2) = 0;

 protected:
  ~IHostNotificationSink() = default;
};

// Receives every trace line. Formats follow the Windows printf conventions (%ld and %lu read 32 bits,
// %ws and %S read a const char16_t*, %I64u a 64-bit value); calls come from any thread at any time.
class IHostTraceLog {
 public:
  virtual void TraceA(int32_t category, int32_t level, const char* format, ...) = 0;
  virtual void TraceW(int32_t category, int32_t level, const char16_t* format, ...) = 0;

 protected:
  ~IHostTraceLog() = default;
};

class IPowerStateObserver {
 public:
  virtual void EnterPCSleepMode() = 0;
  virtual void ExitPCSleepMode() = 0;
  virtual ~IPowerStateObserver() = default;
};

// Tells registered observers when the PC goes to sleep and resumes.
class IPowerStateSource {
 public:
  virtual bool RegisterObserver(IPowerStateObserver* observer) = 0;
  virtual bool UnregisterObserver(IPowerStateObserver* observer) = 0;

 protected:
  ~IPowerStateSource() = default;
};

// Extension interfaces of other modem families; this module never hands them out.
class ISmithMicroSDK;
class ISierraVeskSDK;
class ISierraEmbVeskSDK;
class IVeskSDK;

class ICellularSDK {
 public:
  virtual void Release() = 0;
  virtual int32_t GetSDKType() = 0;
  virtual ISmithMicroSDK* GetSmithMicroSDK() = 0;
  virtual IVeskSDK* GetVeskSDK() = 0;
  virtual ISierraVeskSDK* GetSierraVeskSDK() = 0;
  virtual ISierraEmbVeskSDK* GetSierraEmbVeskSDK() = 0;
  virtual bool Open() = 0;
  virtual bool IsOpen() = 0;
  virtual bool Close() = 0;
  virtual bool AttachToCellularDevice(DeviceInfoTree deviceTree) = 0;
  virtual bool AttachToCellularDevice() = 0;
  virtual bool DetachFromCellularDevice() = 0;
  virtual bool UnlockSim(const char* pin) = 0;
  virtual bool UnlockDevice(const char* code) = 0;
  virtual bool Connect(const char* apn, const char* userName, const char* password) = 0;
  virtual bool Disconnect() = 0;
  virtual bool SetAutoConnectMode(int32_t mode, const char* apn, const char* userName,
                                  const char* password) = 0;
  virtual int32_t GetAutoConnectMode() = 0;
  virtual bool GetCellularCardInfo(CellularCardInfo* info) = 0;
  virtual bool GetCellularServiceSelection(int32_t* selection) = 0;
  virtual bool SetCellularServiceSelection(int32_t selection) = 0;
  virtual bool StartGPSTracking() = 0;
  virtual bool StopGPSTracking() = 0;
  virtual bool IsGPSTrackingActive() = 0;
  virtual bool PerformSpecialDiagnostics(uint32_t command) = 0;
  virtual ~ICellularSDK() = default;
};

class IVeskSDK : public virtual ICellularSDK {
 public:
  using ICellularSDK::AttachToCellularDevice;

  virtual bool GetImageList(std::vector<ImageRecord>* images) = 0;
  virtual bool StartImageSwitchingProcess(const char16_t* path) = 0;
  virtual bool AttachToCellularDevice(DeviceInfoTree deviceTree, bool turnedOn) = 0;
  virtual bool AttachToCellularDevice(bool turnedOn) = 0;
  virtual bool IsImageSwitchingSupported() = 0;
};

// clang-format off
extern "C" {
#if defined(_WIN32)
__declspec(dllexport)
#else
__attribute__((visibility("default")))
#endif
ICellularSDK* ConstructSDK(IHostNotificationSink* notificationSink, IHostTraceLog* traceLog,
                           IPowerStateSource* powerStateSource);
}
// clang-format on

using ConstructSDKFn = ICellularSDK* (*)(IHostNotificationSink*, IHostTraceLog*, IPowerStateSource*);

#endif  // VESK_HOST_INTERFACES_H
