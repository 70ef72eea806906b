// Special diagnostics: a small interpreter of test and service commands, and the RSSI stress run.
#include <cstdlib>
#include <string>

#include "device/vesk_sdk.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "trace/scope_trace.h"

namespace {

enum DiagnosticCode : uint32_t {
  kStartActivation = 1,
  kResetToFactoryDefaults = 2,
  kStressRssi = 3,
  kRoamingOn = 4,
  kRoamingOff = 5,
  kChangeHomeOperator = 6,
  kLockSim = 7,
  kSetPower = 8,
  kSettingsReport = 50000,
  kImsiReport = 50010,
  kHomeNetworkReport = 50123,
  kServingNetworkReport = 51234,
};

constexpr uint32_t kStressPatternInterval = 250;
constexpr uint32_t kStressRandomInterval = 5;
constexpr int kRandomSteps = 10000;
constexpr BYTE kImsiSize = 255;  // the size the library is told; the buffer holds one more

std::u16string Number(int64_t value) {
  return platform::Widen(std::to_string(value));
}

}  // namespace

bool CVeskSDK::PerformSpecialDiagnostics(uint32_t command) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::PerformSpecialDiagnostics");
  if (!IsOpenFor("CVeskSDK::PerformSpecialDiagnostics")) {
    return false;
  }
  const uint32_t high = command >> 16;
  switch (command & 0xFFFF) {
    case kStartActivation:
      return InitiateOverTheAirActivation();
    case kResetToFactoryDefaults:
      return ResetToFactoryDefaults();
    case kStressRssi: {
      RssiStressPlan plan = {
          {"lowToHigh", kStressPatternInterval},
          {"highToLow", kStressPatternInterval},
          {"random", kStressRandomInterval},
      };
      std::lock_guard<std::mutex> lock(rssiStressLock_);
      // The stop event is only reset while no run is going, so a stop cannot be lost.
      bool started = false;
      if (rssiStressThread_->Wait(0)) {
        rssiStressStopEvent_.Reset();
        started = rssiStressThread_->Start(std::move(plan));
      }
      if (started) {
        Trace(kTraceLevelInfo, u"VESKTEST: CREATING A NEW VESK RSSI STRESS THREAD");
      } else {
        Trace(kTraceLevelError, u"VESKTEST: COULD NOT START A NEW RSSI THREAD");
      }
      return false;
    }
    case kRoamingOn:
      Trace(kTraceLevelInfo, u"VESKTEST: SIMULATING DEVICE SWITCH TO ROAMING (TRUE)");
      RoamingIndicatorCallback(0);
      return false;
    case kRoamingOff:
      Trace(kTraceLevelInfo, u"VESKTEST: SIMULATING DEVICE SWITCH TO ROAMING (TRUE)");
      RoamingIndicatorCallback(1);
      return false;
    case kChangeHomeOperator:
      Trace(kTraceLevelInfo, u"VESKTEST: CHANGING THE HOME OPERATOR ID");
      SetHomeNetworkCode(static_cast<uint16_t>(high >> 8), static_cast<uint16_t>(high & 0xFF));
      return false;
    case kLockSim: {
      Trace(kTraceLevelInfo, u"VESKTEST: LOCKING THE SIM");
      const ULONG result = facade_.SetLock(0, kTestSimLockPin);
      Trace(kTraceLevelInfo, u"VESKTEST: LOCK SIM rc = %d (%d)", result, 0);
      EvaluateSimStatus();
      return false;
    }
    case kSetPower: {
      Trace(kTraceLevelInfo, u"VESKTEST: SETTING THE DEVICE POWER TO '%d'", high);
      const ULONG result = facade_.SetPower(high);
      if (result != 0) {
        Trace(kTraceLevelError, u"VESKTEST: PROBLEM SETTING THE DEVICE POWER TO '%d' (rc = %d)", high, result);
      }
      return false;
    }
    case kSettingsReport:
      ReportCurrentSettings();
      SaveCurrentDefaultProfileInfo();
      return false;
    case kImsiReport: {
      char imsi[kImsiSize + 1] = {};
      facade_.GetIMSI(kImsiSize, imsi);
      const std::u16string wide = platform::Widen(imsi);
      Trace(kTraceLevelInfo, u"International Mobile Subscriber Identity: %ws", wide.c_str());
      return false;
    }
    case kHomeNetworkReport: {
      std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
      ReadHomeNetwork(false);
      return false;
    }
    case kServingNetworkReport: {
      std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
      ReadServingNetwork(false);
      return false;
    }
    default:
      Trace(kTraceLevelError, u"Error: Unknown code ( %d ) in PerformSpecialDiagnostics", command);
      return false;
  }
}

void CVeskSDK::ReportCurrentSettings() {
  std::u16string report =
      u"\n\n\n*************************************************************\n"
      u"* GETTING THE CURRENT SETTINGS OF THE CONNECTED VESK DEVICE *\n"
      u"*************************************************************\n\n\n\n";
  ULONG setting = 0;
  ULONG result = facade_.GetAutoconnect(&setting);
  if (result != 0) {
    report += u"VESKTEST: ERROR - could not get the current autoconnect setting '" + Number(result) + u"'\n\n";
  } else {
    report += u"VESKTEST: NDIS autoconnect is '";
    report += setting != 0 ? u"enabled" : u"disabled";
    report += u"'\n\n";
  }
  ULONG state = 0;
  result = facade_.GetSessionState(&state);
  if (result != 0) {
    report += u"VESKTEST: ERROR - could not get the current session state '" + Number(result) + u"'\n\n";
  } else {
    switch (state) {
      case 1:
        report += u"VESKTEST: session state is currently disconnected\n\n";
        break;
      case 2:
        report += u"VESKTEST: session state is currently connected\n\n";
        break;
      case 3:
        report += u"VESKTEST: session state is currently suspended (not supported)\n\n";
        break;
      case 4:
        report += u"VESKTEST: session state is currently 'authenticating'\n\n";
        break;
      default:
        report += u"VESKTEST: FAIL FAIL FAIL FAIL FAIL FAIL\n\n";
        break;
    }
  }
  Trace(kTraceLevelInfo, u"%ls", report.c_str());
}

void CVeskSDK::StressRssi(RssiStressPlan plan) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::StressRssi");
  // Reports one strength and rests the interval; false once the run is to stop.
  auto step = [this](int32_t dbm, uint32_t intervalMs) {
    SignalStrengthCallback(static_cast<INT8>(dbm), kStressRadioInterface);
    return !rssiStressStopEvent_.Wait(intervalMs);
  };
  for (const RssiStressStep& entry : plan) {
    if (entry.pattern == "lowToHigh") {
      Trace(kTraceLevelInfo, u"VESKTEST: STRESS TEST RSSI FROM SMALLEST TO LARGEST");
      for (int32_t dbm = -115; dbm <= 0; ++dbm) {
        if (!step(dbm, entry.intervalMs)) {
          return;
        }
      }
    } else if (entry.pattern == "highToLow") {
      Trace(kTraceLevelInfo, u"VESKTEST: STRESS TEST RSSI FROM LARGEST TO SMALLEST");
      for (int32_t dbm = 0; dbm >= -119; --dbm) {
        if (!step(dbm, entry.intervalMs)) {
          return;
        }
      }
    } else if (entry.pattern == "random") {
      Trace(kTraceLevelInfo, u"VESKTEST: STRESS TEST RANDOM RSSI");
      for (int i = 0; i < kRandomSteps; ++i) {
        if (!step(-(std::rand() % 120), entry.intervalMs)) {
          return;
        }
      }
    }
  }
}

void CVeskSDK::StopRssiStress() {
  // The lock keeps a new run from starting between the stop and the wait; the thread never takes it.
  std::lock_guard<std::mutex> lock(rssiStressLock_);
  rssiStressStopEvent_.Set();
  rssiStressThread_->Wait(platform::kInfinite);
}
