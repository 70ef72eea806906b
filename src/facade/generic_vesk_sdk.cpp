#include "facade/generic_vesk_sdk.h"

#include "facade/vesk_1k_sdk.h"
#include "facade/vesk_2k_sdk.h"
#include "trace/trace.h"

namespace VeskSDKFacade {

namespace {

const char* ConnectionStateText(ULONG state) {
  switch (state) {
    case SDK_1000:
      return "SDK_1000";
    case SDK_2000:
      return "SDK_2000";
    default:
      return "NO_SDK_CONNECTED";
  }
}

// Vendor callbacks in progress on this thread.
thread_local int tLibraryCallbacks = 0;

}  // namespace

GenericVeskSDK::LibraryCallbackScope::LibraryCallbackScope() {
  ++tLibraryCallbacks;
}

GenericVeskSDK::LibraryCallbackScope::~LibraryCallbackScope() {
  --tLibraryCallbacks;
}

void GenericVeskSDK::GroupLock::lock() {
  std::unique_lock state(stateLock_);
  const std::thread::id self = std::this_thread::get_id();
  released_.wait(state, [&] { return depth_ == 0 || owner_ == self; });
  owner_ = self;
  ++depth_;
}

bool GenericVeskSDK::GroupLock::LockUnless(const std::atomic<int>& disconnecting) {
  std::unique_lock state(stateLock_);
  const std::thread::id self = std::this_thread::get_id();
  if (depth_ > 0 && owner_ == self) {
    ++depth_;
    return true;
  }
  released_.wait(state, [&] { return depth_ == 0 || disconnecting.load() > 0; });
  if (disconnecting.load() > 0) {
    return false;
  }
  owner_ = self;
  ++depth_;
  return true;
}

void GenericVeskSDK::GroupLock::unlock() {
  std::lock_guard state(stateLock_);
  if (--depth_ == 0) {
    owner_ = std::thread::id();
    released_.notify_all();
  }
}

void GenericVeskSDK::GroupLock::Wake() {
  std::lock_guard state(stateLock_);
  released_.notify_all();
}

class GenericVeskSDK::Disconnecting {
 public:
  // Callbacks already queued on a group lock are woken so that they give up rather than wait behind us.
  explicit Disconnecting(GenericVeskSDK& sdk) : sdk_(sdk) {
    ++sdk_.disconnecting_;
    for (auto& lock : sdk_.groupLocks_) {
      lock.Wake();
    }
  }
  ~Disconnecting() { --sdk_.disconnecting_; }
  Disconnecting(const Disconnecting&) = delete;
  Disconnecting& operator=(const Disconnecting&) = delete;

 private:
  GenericVeskSDK& sdk_;
};

class GenericVeskSDK::AllGroupsLock {
 public:
  explicit AllGroupsLock(GenericVeskSDK& sdk) : sdk_(sdk) {
    for (auto& lock : sdk_.groupLocks_) {
      lock.lock();
    }
  }
  ~AllGroupsLock() {
    for (auto lock = sdk_.groupLocks_.rbegin(); lock != sdk_.groupLocks_.rend(); ++lock) {
      lock->unlock();
    }
  }
  AllGroupsLock(const AllGroupsLock&) = delete;
  AllGroupsLock& operator=(const AllGroupsLock&) = delete;

 private:
  GenericVeskSDK& sdk_;
};

GenericVeskSDK::GenericVeskSDK(IHostTraceLog* logger) : logger_(logger) {}

GenericVeskSDK::~GenericVeskSDK() {
  {
    std::lock_guard group1(Group(1));
    if (Connected() != nullptr) {
      TraceNarrowMessage(logger_, kTraceCategory, kTraceLevelWarning,
                         "Deleted GenericVeskSDK without calling QCWWANDisconnect()");
      QCWWANDisconnect();
    }
    {
      std::lock_guard instance(vesk2KInstanceLock_);
      vesk2K_.reset();
    }
    {
      std::lock_guard instance(vesk1KInstanceLock_);
      vesk1K_.reset();
    }
  }
}

std::unique_ptr<IVeskSDK> GenericVeskSDK::CreateVesk2KSDK() {
  return std::make_unique<Vesk2KSDK>(logger_);
}

std::unique_ptr<IVeskSDK> GenericVeskSDK::CreateVesk1KSDK() {
  return std::make_unique<Vesk1KSDK>(logger_);
}

IVeskSDK* GenericVeskSDK::Vesk2KInstance() {
  std::lock_guard instance(vesk2KInstanceLock_);
  if (vesk2K_ == nullptr) {
    vesk2K_ = CreateVesk2KSDK();
  }
  return vesk2K_.get();
}

IVeskSDK* GenericVeskSDK::Vesk1KInstance() {
  std::lock_guard instance(vesk1KInstanceLock_);
  if (vesk1K_ == nullptr) {
    vesk1K_ = CreateVesk1KSDK();
  }
  return vesk1K_.get();
}

IVeskSDK* GenericVeskSDK::Connected() {
  std::lock_guard connected(connectedLock_);
  return connected_;
}

void GenericVeskSDK::SetConnected(IVeskSDK* generation) {
  std::lock_guard connected(connectedLock_);
  connected_ = generation;
}

ULONG GenericVeskSDK::ConnectedGeneration() {
  IVeskSDK* connected = Connected();
  return connected == nullptr ? NO_SDK_CONNECTED : connected->GetSDKGeneration();
}

ULONG GenericVeskSDK::Connect(const char* pDeviceID, const char* pDeviceKey) {
  AllGroupsLock allGroups(*this);

  if ((pDeviceID == nullptr) != (pDeviceKey == nullptr)) {
    TraceNarrowMessage(logger_, kTraceCategory, kTraceLevelError,
                       "Invalid arguments to GenericVeskSDK::Connect");
    return INVALID_ARGUMENT;
  }
  const bool firstDevice = pDeviceID == nullptr;

  if (IVeskSDK* connected = Connected(); connected != nullptr) {
    return firstDevice ? connected->QCWWANConnect() : connected->QCWWAN2kConnect(pDeviceID, pDeviceKey);
  }

  IVeskSDK* candidate = nullptr;
  IVeskSDK* vesk2K = Vesk2KInstance();
  ULONG result = GENERAL_ERROR;
  if (firstDevice) {
    result = vesk2K->QCWWANConnect();
    if (result == 0) {
      candidate = vesk2K;
    } else {
      TraceNarrowMessage(logger_, kTraceCategory, kTraceLevelInfo, "Vesk2KSDK->QCWWANConnect() = %lu",
                         result);
      IVeskSDK* vesk1K = Vesk1KInstance();
      result = vesk1K->QCWWANConnect();
      if (result == 0) {
        candidate = vesk1K;
      } else {
        TraceNarrowMessage(logger_, kTraceCategory, kTraceLevelInfo, "Vesk1KSDK->QCWWANConnect() = %lu",
                           result);
      }
    }
  } else {
    result = vesk2K->QCWWAN2kConnect(pDeviceID, pDeviceKey);
    if (result == 0) {
      candidate = vesk2K;
    } else {
      TraceNarrowMessage(logger_, kTraceCategory, kTraceLevelInfo,
                         "Vesk2KSDK->QCWWAN2kConnect(pDeviceID, pDeviceKey) = %lu", result);
    }
  }

  SetConnected(candidate);
  TraceNarrowMessage(
      logger_, kTraceCategory, kTraceLevelInfo, "Connected to SDK = %hs",
      ConnectionStateText(candidate == nullptr ? NO_SDK_CONNECTED : candidate->GetSDKGeneration()));
  return result;
}

ULONG GenericVeskSDK::QCWWANDisconnect() {
  Disconnecting disconnecting(*this);
  AllGroupsLock allGroups(*this);
  IVeskSDK* connected = Connected();
  if (connected == nullptr) {
    return NO_CONNECTION_TO_WWAN_DEVICE;
  }
  const ULONG result = connected->QCWWANDisconnect();
  if (result != 0) {
    // The library may still hold the connection: without this it would go on calling back into a
    // client that has let go of it (signal reports after the host closed the module, say). After a
    // modem that went away (8) the calls cost nothing and are expected, so only other codes are traced.
    UnregisterCallbacks(*connected);
    if (result != NO_CONNECTION_TO_WWAN_DEVICE) {
      TraceNarrowMessage(logger_, kTraceCategory, kTraceLevelWarning,
                         "QCWWANDisconnect failed (%lu); callbacks unregistered", result);
    }
  }
  SetConnected(nullptr);
  return result;
}

void GenericVeskSDK::UnregisterCallbacks(IVeskSDK& generation) {
  generation.SetSessionStateCallback(nullptr);
  generation.SetByteTotalsCallback(nullptr, 0);
  generation.SetDataCapabilitiesCallback(nullptr);
  generation.SetActivationStatusCallback(nullptr);
  generation.SetPowerCallback(nullptr);
  generation.SetRoamingIndicatorCallback(nullptr);
  generation.SetSignalStrengthCallback(nullptr, 0, nullptr);
  generation.SetNewSMSCallback(nullptr);
  generation.SetNMEACallback(nullptr);
  generation.SetPDSStateCallback(nullptr);
  generation.SetDeviceRemovalCallback(nullptr);
}

ULONG GenericVeskSDK::QCWWAN2kEnumerateDevices(BYTE* pDevicesSize, BYTE* pDevices) {
  return Vesk2KInstance()->QCWWAN2kEnumerateDevices(pDevicesSize, pDevices);
}

template <typename Call>
ULONG GenericVeskSDK::Forward(int group, Call call) {
  // A disconnect may be waiting, inside the library, for the very callback that calls us: waiting for
  // it here would never end, and it is ending the connection anyway. Every other caller waits.
  if (tLibraryCallbacks == 0) {
    Group(group).lock();
  } else if (!Group(group).LockUnless(disconnecting_)) {
    return NO_CONNECTION_TO_WWAN_DEVICE;
  }
  std::lock_guard groupLock(Group(group), std::adopt_lock);
  // Read under the connected-pointer lock, which is left before the library call.
  IVeskSDK* connected = Connected();
  if (connected == nullptr) {
    return NO_CONNECTION_TO_WWAN_DEVICE;
  }
  return call(connected);
}

#define VESK_DEFINE_GENERIC_OPERATION(name, group, count)                                          \
  ULONG GenericVeskSDK::name(VESK_PARAMS(name##_t, count)) {                                       \
    return Forward(group, [&](IVeskSDK* connected) { return connected->name(VESK_ARGS(count)); }); \
  }
VESK_GENERIC_OPERATIONS(VESK_DEFINE_GENERIC_OPERATION)
#undef VESK_DEFINE_GENERIC_OPERATION

ULONG GenericVeskSDK::SetLock(ULONG state, const char* pCurrentPIN) {
  TraceNarrowMessage(logger_, kTraceCategory, kTraceLevelWarning, "Calling unsupported function SetLock()");
  return Forward(4, [&](IVeskSDK* connected) { return connected->SetLock(state, pCurrentPIN); });
}

}  // namespace VeskSDKFacade
