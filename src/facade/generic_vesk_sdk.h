// The one object through which the device manager calls the vendor library.
//
// It keeps one library object per generation, created on first need by the two factories and kept
// until destruction, and connects through the second generation first. Every operation but Connect,
// QCWWANDisconnect and QCWWAN2kEnumerateDevices forwards to the connected generation under its group
// lock, and returns NO_CONNECTION_TO_WWAN_DEVICE without calling the library while none is connected.
// Two operations of one group never run in the library at once; Connect and QCWWANDisconnect exclude
// every other call. Operations may be called from any thread and wait for their group lock. The one
// exception is a vendor callback (marked with LibraryCallbackScope) that meets a QCWWANDisconnect in
// progress: the library's disconnect waits for that callback to return, so the call answers
// NO_CONNECTION_TO_WWAN_DEVICE at once instead of waiting.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "facade/vesk_sdk_interface.h"

class IHostTraceLog;

namespace VeskSDKFacade {

// X(name, group, parameterCount): the forwarding operations and the group lock each one takes (SetLock,
// group 4, is declared on its own). Groups 8 to 10 have no operation; only Connect and
// QCWWANDisconnect take them.
#define VESK_GENERIC_OPERATIONS(X)       \
  X(QCWWANGetConnectedDeviceID, 1, 2)    \
  X(GetSessionState, 2, 1)               \
  X(GetAutoconnect, 2, 1)                \
  X(SetAutoconnect, 2, 1)                \
  X(SetDefaultProfile, 2, 10)            \
  X(GetDefaultProfile, 2, 12)            \
  X(StartDataSession, 2, 11)             \
  X(StopDataSession, 2, 1)               \
  X(GetSignalStrength, 3, 2)             \
  X(GetSignalStrengths, 3, 3)            \
  X(GetServingNetwork, 3, 11)            \
  X(GetServingNetworkCapabilities, 3, 2) \
  X(GetHomeNetwork, 3, 6)                \
  X(SetNetworkPreference, 3, 2)          \
  X(GetNetworkPreference, 3, 3)          \
  X(GetManufacturer, 4, 2)               \
  X(GetModelID, 4, 2)                    \
  X(GetFirmwareRevision, 4, 2)           \
  X(GetFirmwareRevisions, 4, 6)          \
  X(GetVoiceNumber, 4, 4)                \
  X(GetIMSI, 4, 2)                       \
  X(GetSerialNumbers, 4, 6)              \
  X(ActivateAutomatic, 4, 1)             \
  X(SetPower, 4, 1)                      \
  X(GetPower, 4, 1)                      \
  X(UIMVerifyPIN, 4, 4)                  \
  X(UIMGetICCID, 4, 2)                   \
  X(UIMGetPINStatus, 4, 4)               \
  X(GetActivationState, 4, 1)            \
  X(ResetToFactoryDefaults, 4, 1)        \
  X(GetSMSList, 5, 4)                    \
  X(GetSMS, 5, 6)                        \
  X(ModifySMSStatus, 5, 3)               \
  X(GetFirmwareInfo, 6, 5)               \
  X(GetImageStoreW, 6, 2)                \
  X(GetImageInfoW, 6, 6)                 \
  X(UpgradeFirmwareW, 6, 2)              \
  X(GetPDSState, 7, 2)                   \
  X(SetPDSState, 7, 1)                   \
  X(GetServiceAutomaticTracking, 7, 1)   \
  X(SetServiceAutomaticTracking, 7, 1)   \
  X(SetSessionStateCallback, 11, 1)      \
  X(SetByteTotalsCallback, 11, 2)        \
  X(SetDataCapabilitiesCallback, 11, 1)  \
  X(SetActivationStatusCallback, 11, 1)  \
  X(SetPowerCallback, 11, 1)             \
  X(SetRoamingIndicatorCallback, 11, 1)  \
  X(SetSignalStrengthCallback, 11, 3)    \
  X(SetNewSMSCallback, 11, 1)            \
  X(SetNMEACallback, 11, 1)              \
  X(SetPDSStateCallback, 11, 1)          \
  X(SetDeviceRemovalCallback, 11, 1)

class GenericVeskSDK {
 public:
  // logger is not owned and may be null; the generations trace through it too.
  explicit GenericVeskSDK(IHostTraceLog* logger);
  // Disconnects (with a warning) when still connected. No other call may be running.
  virtual ~GenericVeskSDK();

  GenericVeskSDK(const GenericVeskSDK&) = delete;
  GenericVeskSDK& operator=(const GenericVeskSDK&) = delete;

  // Both texts null: the first device of the second generation, else of the first generation. Both
  // given: that device of the second generation only. Exactly one given: INVALID_ARGUMENT. Returns
  // the result of the last library call made.
  ULONG Connect(const char* pDeviceID, const char* pDeviceKey);

  // Ends the connection whatever the library answers; NO_CONNECTION_TO_WWAN_DEVICE when there is none.
  // When the library answers anything but 0, the callbacks the module registers are unregistered first.
  ULONG QCWWANDisconnect();

  // Always asks the second-generation library, connected or not, and takes no group lock.
  ULONG QCWWAN2kEnumerateDevices(BYTE* pDevicesSize, BYTE* pDevices);

  // NO_SDK_CONNECTED, SDK_1000 or SDK_2000.
  ULONG ConnectedGeneration();

  // Marks the calling thread, for the scope's lifetime, as running a callback of the vendor library.
  class LibraryCallbackScope {
   public:
    LibraryCallbackScope();
    ~LibraryCallbackScope();
    LibraryCallbackScope(const LibraryCallbackScope&) = delete;
    LibraryCallbackScope& operator=(const LibraryCallbackScope&) = delete;
  };

  // Each takes its entry point's parameters (vendor_api.h).
#define VESK_DECLARE_GENERIC_OPERATION(name, group, count) ULONG name(VESK_PARAMS(name##_t, count));
  VESK_GENERIC_OPERATIONS(VESK_DECLARE_GENERIC_OPERATION)
#undef VESK_DECLARE_GENERIC_OPERATION

  // Forwards like the others, after a warning that the module does not support it.
  ULONG SetLock(ULONG state, const char* pCurrentPIN);

 protected:
  // Overridable for tests; the defaults build Vesk2KSDK and Vesk1KSDK with the logger.
  virtual std::unique_ptr<IVeskSDK> CreateVesk2KSDK();
  virtual std::unique_ptr<IVeskSDK> CreateVesk1KSDK();

 private:
  static constexpr std::size_t kGroupCount = 11;

  // A re-entrant lock whose waiters can be turned away: LockUnless gives up, without the lock, as soon
  // as a disconnect is under way (checked on entry and whenever Wake is called).
  class GroupLock {
   public:
    void lock();
    void unlock();
    bool LockUnless(const std::atomic<int>& disconnecting);
    void Wake();

   private:
    std::mutex stateLock_;
    std::condition_variable released_;
    std::thread::id owner_;
    int depth_ = 0;
  };

  // Marks a disconnect (set before the group locks are taken, cleared after they are left).
  class Disconnecting;
  // Holds every group lock, entered 1 to 11 and left 11 to 1.
  class AllGroupsLock;

  IVeskSDK* Vesk2KInstance();
  IVeskSDK* Vesk1KInstance();
  IVeskSDK* Connected();
  void SetConnected(IVeskSDK* generation);
  // Null for every callback the module registers, so a library that kept its connection stays quiet.
  static void UnregisterCallbacks(IVeskSDK& generation);
  // Calls call(connected) under the group's lock, or returns NO_CONNECTION_TO_WWAN_DEVICE.
  template <typename Call>
  ULONG Forward(int group, Call call);
  GroupLock& Group(int group) {
    return groupLocks_[group - 1];
  }

  IHostTraceLog* logger_;
  // Lock order: a group lock, then connectedLock_; connectedLock_ is never held across a library call.
  std::recursive_mutex connectedLock_;
  std::recursive_mutex vesk1KInstanceLock_;
  std::recursive_mutex vesk2KInstanceLock_;
  IVeskSDK* connected_ = nullptr;  // one of the two instances, or null
  std::unique_ptr<IVeskSDK> vesk2K_;
  std::unique_ptr<IVeskSDK> vesk1K_;
  std::atomic<int> disconnecting_{0};  // QCWWANDisconnect calls in progress
  std::array<GroupLock, kGroupCount> groupLocks_;
};

}  // namespace VeskSDKFacade
