// The vendor library's callbacks, their registration, and the gate through which they reach the
// device manager.
#include <atomic>
#include <condition_variable>
#include <iterator>
#include <exception>
#include <memory>
#include <mutex>

#include "device/vesk_sdk.h"
#include "netutil/work_item_member.h"
#include "trace/scope_trace.h"

std::atomic<CVeskSDK*> g_pVeskSDK{nullptr};

namespace {

// The library may call back at any moment, also while the manager is being destroyed. Each callback
// holds a pass for as long as it uses the manager; the destructor clears g_pVeskSDK (so no pass
// taken afterwards finds it) and then waits until the passes already out are returned.
//
// A pass costs two atomic operations and no lock: a callback counts its pass before it reads the
// manager, and the destructor clears the manager before it reads the count, so one of the two sees
// the other (sequentially consistent, all of them). The lock is taken only to wake a waiting closer.
struct CallbackGate {
  std::mutex lock;
  std::condition_variable passReturned;
  std::atomic<int> passesOut{0};
  std::atomic<int> closersWaiting{0};  // a returned pass notifies only when someone waits for it
};

CallbackGate& Gate() {
  static CallbackGate gate;
  return gate;
}

void ReturnPass() {
  CallbackGate& gate = Gate();
  if (gate.passesOut.fetch_sub(1) == 1 && gate.closersWaiting.load() > 0) {
    // Once the lock is had, a closer that counted itself is in its wait, or will see the count.
    { std::lock_guard<std::mutex> closerIsWaiting(gate.lock); }
    gate.passReturned.notify_all();
  }
}

}  // namespace

class CVeskSDK::CallbackPass {
 public:
  CallbackPass() {
    Gate().passesOut.fetch_add(1);
    sdk_ = g_pVeskSDK.load();
    if (sdk_ == nullptr) {
      ReturnPass();
    }
  }
  ~CallbackPass() {
    if (sdk_ != nullptr) {
      ReturnPass();
    }
  }
  CallbackPass(const CallbackPass&) = delete;
  CallbackPass& operator=(const CallbackPass&) = delete;

  // The manager, or null when the gate is closed.
  CVeskSDK* sdk() const { return sdk_; }

 private:
  // The facade turns this thread's calls away during a disconnect, which waits for the callback.
  VeskSDKFacade::GenericVeskSDK::LibraryCallbackScope inCallback_;
  CVeskSDK* sdk_ = nullptr;
};

void CVeskSDK::OpenCallbackGate() {
  std::lock_guard<std::mutex> lock(Gate().lock);
  g_pVeskSDK = this;
}

void CVeskSDK::CloseCallbackGate() {
  std::unique_lock<std::mutex> lock(Gate().lock);
  CVeskSDK* self = this;
  g_pVeskSDK.compare_exchange_strong(self, nullptr);
  ++Gate().closersWaiting;
  Gate().passReturned.wait(lock, [] { return Gate().passesOut.load() == 0; });
  --Gate().closersWaiting;
}

void CVeskSDK::RegisterVeskCallbacks() {
  Trace(kTraceLevelInfo,
        u"*****************************************\n"
        u"*         SETUP VESK CALLBACKS          *\n"
        u"*****************************************");
  INT8 thresholds[] = {-107, -103, -97, -88, -79};
  ULONG result = facade_.SetSignalStrengthCallback(&CVeskSDK::SignalStrengthCallback,
                                                   static_cast<BYTE>(std::size(thresholds)), thresholds);
  Trace(kTraceLevelInfo, u"set the vesk signal strength callback: %p, thresholds: %d, %d, %d, %d, %d, (%u)",
        reinterpret_cast<void*>(&CVeskSDK::SignalStrengthCallback), thresholds[0], thresholds[1],
        thresholds[2], thresholds[3], thresholds[4], result);
  result = facade_.SetSessionStateCallback(&CVeskSDK::SessionStateCallback);
  Trace(kTraceLevelInfo, u"set the vesk session state callback: %p, (%u)",
        reinterpret_cast<void*>(&CVeskSDK::SessionStateCallback), result);
  result = facade_.SetRoamingIndicatorCallback(&CVeskSDK::RoamingIndicatorCallback);
  Trace(kTraceLevelInfo, u"set the vesk roaming indicator callback: %p, (%u)",
        reinterpret_cast<void*>(&CVeskSDK::RoamingIndicatorCallback), result);
  result = facade_.SetByteTotalsCallback(&CVeskSDK::ByteTotalsCallback, 5);
  Trace(kTraceLevelInfo, u"set the vesk byte totals callback: %p, (%u)",
        reinterpret_cast<void*>(&CVeskSDK::ByteTotalsCallback), result);
  result = facade_.SetPowerCallback(&CVeskSDK::PowerCallback);
  Trace(kTraceLevelInfo, u"set the vesk power callback: %p, (%u)",
        reinterpret_cast<void*>(&CVeskSDK::PowerCallback), result);
  result = facade_.SetDataCapabilitiesCallback(&CVeskSDK::DataCapabilitiesCallback);
  Trace(kTraceLevelInfo, u"set the vesk data capabilities callback: %p, (%u)",
        reinterpret_cast<void*>(&CVeskSDK::DataCapabilitiesCallback), result);
  result = facade_.SetNewSMSCallback(&CVeskSDK::NewSMSCallback);
  Trace(kTraceLevelInfo, u"set the vesk new SMS callback: %p, (%u)",
        reinterpret_cast<void*>(&CVeskSDK::NewSMSCallback), result);
  result = facade_.SetActivationStatusCallback(&CVeskSDK::ActivationStatusCallback);
  Trace(kTraceLevelInfo, u"set the vesk activation status callback: %p, (%u)",
        reinterpret_cast<void*>(&CVeskSDK::ActivationStatusCallback), result);
  result = facade_.SetDeviceRemovalCallback(&CVeskSDK::DeviceRemovalCallback);
  if (result == 0) {
    Trace(kTraceLevelInfo, u"### SET THE DEVICE REMOVAL CALLBACK: %p",
          reinterpret_cast<void*>(&CVeskSDK::DeviceRemovalCallback));
  } else {
    Trace(kTraceLevelError, u"### FAILED --- COULD NOT SET THE DEVICE REMOVAL CALLBACK: %p (rc=%d)",
          reinterpret_cast<void*>(&CVeskSDK::DeviceRemovalCallback), result);
  }
}

template <class Body>
void CVeskSDK::RunCallback(const char* name, bool scoped, Body body) noexcept {
  try {
    CallbackPass pass;
    CVeskSDK* sdk = pass.sdk();
    if (sdk == nullptr) {
      return;
    }
    try {
      if (scoped) {
        ScopeTrace scope(sdk->GetTraceLog(), sdk->GetTraceCategory(), ScopeTrace::StaticName{name});
        body(*sdk);
      } else {
        body(*sdk);
      }
    } catch (const std::exception& error) {
      // The line itself may fail to allocate; the event is dropped either way.
      try {
        sdk->Trace(kTraceLevelError, u"%hs dropped its event: %hs", name, error.what());
      } catch (...) {
      }
    } catch (...) {
      try {
        sdk->Trace(kTraceLevelError, u"%hs dropped its event", name);
      } catch (...) {
      }
    }
  } catch (...) {
    // The pass itself could not be taken.
  }
}

void CVeskSDK::DeviceRemovalCallback() {
  // Traced by the handler itself, without a scope of its own.
  RunCallback("CVeskSDK::DeviceRemovalCallback", false, [](CVeskSDK& sdk) { sdk.HandleDeviceRemoval(); });
}

void CVeskSDK::PowerCallback(ULONG operatingMode) {
  RunCallback("CVeskSDK::PowerCallback", true, [operatingMode](CVeskSDK& sdk) {
    // Only logged: the power-mode monitor is what acts on the mode.
    static constexpr const char16_t* kModeTexts[] = {
        u"VESK device is online",
        u"VESK device is in low power mode (airplan)",
        u"VESK device is factory test mode",
        u"VESK device is offline",
        u"VESK device is resetting",
        u"VESK device is power off",
        u"persistent low power mode (airplane)",
    };
    if (operatingMode < std::size(kModeTexts)) {
      sdk.Trace(kTraceLevelInfo, kModeTexts[operatingMode]);
    } else {
      sdk.Trace(kTraceLevelError, u"unknown power mode (%d)", operatingMode);
    }
  });
}

void CVeskSDK::NMEACallback(const char* pNMEA) {
  RunCallback("CVeskSDK::NMEACallback", true, [pNMEA](CVeskSDK& sdk) {
    // Parsing happens on the worker, never on the library's thread. The item is the queue's once
    // offered (a stopping queue deletes it); until then a failure to copy or queue frees it here.
    auto item = std::make_unique<NetUtilities::WorkItemMember1<CVeskSDK, std::string>>(
        &sdk, &CVeskSDK::HandleNMEA, pNMEA != nullptr ? pNMEA : "");
    sdk.workerQueue_.Enqueue(item.release());
  });
}

void CVeskSDK::PDSStateCallback(ULONG enabledStatus, ULONG trackingStatus) {
  RunCallback("CVeskSDK::PDSStateCallback", true, [enabledStatus, trackingStatus](CVeskSDK& sdk) {
    sdk.HandlePDSState(enabledStatus, trackingStatus);
  });
}

// The callbacks below forward to their concerns.

void CVeskSDK::SignalStrengthCallback(INT8 signalStrength, ULONG radioInterface) {
  RunCallback("CVeskSDK::SignalStrengthCallback", true, [signalStrength, radioInterface](CVeskSDK& sdk) {
    sdk.ReportSignalStrength(signalStrength, radioInterface);
  });
}

void CVeskSDK::SessionStateCallback(ULONG state, ULONG sessionEndReason) {
  RunCallback("CVeskSDK::SessionStateCallback", true,
              [state, sessionEndReason](CVeskSDK& sdk) { sdk.HandleSessionState(state, sessionEndReason); });
}

void CVeskSDK::RoamingIndicatorCallback(ULONG roaming) {
  RunCallback("CVeskSDK::RoamingIndicatorCallback", true,
              [roaming](CVeskSDK& sdk) { sdk.HandleRoamingInfo(roaming); });
}

void CVeskSDK::ByteTotalsCallback(ULONGLONG totalBytesTX, ULONGLONG totalBytesRX) {
  RunCallback("CVeskSDK::ByteTotalsCallback", true, [totalBytesTX, totalBytesRX](CVeskSDK& sdk) {
    sdk.ReportByteTotals(totalBytesTX, totalBytesRX);
  });
}

void CVeskSDK::DataCapabilitiesCallback(BYTE dataCapsSize, ULONG* pDataCaps) {
  RunCallback("CVeskSDK::DataCapabilitiesCallback", true, [dataCapsSize, pDataCaps](CVeskSDK& sdk) {
    sdk.ReportDataCapabilities(dataCapsSize, pDataCaps);
  });
}

void CVeskSDK::NewSMSCallback(ULONG storageType, ULONG messageIndex) {
  RunCallback("CVeskSDK::NewSMSCallback", true,
              [storageType, messageIndex](CVeskSDK& sdk) { sdk.HandleNewSms(storageType, messageIndex); });
}

void CVeskSDK::ActivationStatusCallback(ULONG activationState) {
  RunCallback("CVeskSDK::ActivationStatusCallback", true,
              [activationState](CVeskSDK& sdk) { sdk.HandleActivationStatus(activationState); });
}
