// The observer the plug-in registers with the host's power-state source. It forwards PC sleep and
// resume to its owner's virtual handlers, so the most derived override runs; it holds no lock and no
// state, and runs the handlers on whatever thread the host raises the event.
#pragma once

#include "plugin/cellular_sdk.h"
#include "vesk/host_interfaces.h"

class CCellularSDK::PCPowerStateObserver : public IPowerStateObserver {
 public:
  explicit PCPowerStateObserver(CCellularSDK* owner) : owner_(owner) {}
  PCPowerStateObserver(const PCPowerStateObserver&) = delete;
  PCPowerStateObserver& operator=(const PCPowerStateObserver&) = delete;

  void EnterPCSleepMode() override;
  void ExitPCSleepMode() override;

 private:
  CCellularSDK* const owner_;
};
