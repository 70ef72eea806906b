#include "plugin/pc_power_state_observer.h"

void CCellularSDK::PCPowerStateObserver::EnterPCSleepMode() {
  owner_->HandleEnterPCSleepMode();
}

void CCellularSDK::PCPowerStateObserver::ExitPCSleepMode() {
  owner_->HandleExitPCSleepMode();
}
