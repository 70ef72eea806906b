// Autoconnect: the modem's own automatic connection, as the host reads it.
#include "device/vesk_sdk.h"
#include "facade/enumerations.h"
#include "trace/scope_trace.h"
#include "vesk/values.h"

int32_t CVeskSDK::GetAutoConnectMode() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetAutoConnectMode");
  ULONG setting = VeskSDKFacade::AUTOCONNECT_Unknown;
  const ULONG result = CallWithSessionRetry(u"Retry get autoconnect, previous result %lu",
                                            &VeskSDKFacade::GenericVeskSDK::GetAutoconnect, &setting);
  if (result != 0) {
    Trace(kTraceLevelError, u"could not get the autoconnect mode (rc = %lu)", result);
    return NORMAL_AUTOCONNECT_Unknown;
  }
  Trace(kTraceLevelInfo, u"the current autoconnect setting is '%ws'",
        VeskSDKFacade::AutoconnectSettingText(setting).c_str());
  switch (setting) {
    case VeskSDKFacade::AUTOCONNECT_Disabled:
      return NORMAL_AUTOCONNECT_Disabled;
    case VeskSDKFacade::AUTOCONNECT_Enabled:
      return NORMAL_AUTOCONNECT_Enabled;
    default:
      return NORMAL_AUTOCONNECT_Unknown;
  }
}
