// Releasing the device manager, closed or not. (Type, casts and the open flag are checked on the
// installed module by the install test.)
#include "device/vesk_sdk.h"

#include "plugin_test_host.h"

namespace plugin_test {
namespace {

class VeskSDKTest : public testing::Test {
 protected:
  void SetUp() override { sdk_ = new CVeskSDK(&sink_, &traceLog_, &powerSource_); }
  void TearDown() override {
    if (sdk_ != nullptr) {
      sdk_->Release();
    }
  }

  hostkit::RecordingNotificationSink sink_;
  hostkit::RecordingTraceLog traceLog_;
  hostkit::RecordingPowerStateSource powerSource_;
  ICellularSDK* sdk_ = nullptr;
};

class ReleaseTest : public VeskSDKTest, public testing::WithParamInterface<bool> {};

TEST_P(ReleaseTest, ReleaseClosesOnlyWhatWasNotClosedCleanly) {
  const bool closeFirst = GetParam();
  ASSERT_TRUE(sdk_->Open());
  if (closeFirst) {
    ASSERT_TRUE(sdk_->Close());
  }
  EXPECT_EQ(g_pVeskSDK.load(), dynamic_cast<CVeskSDK*>(sdk_));
  sdk_->Release();
  sdk_ = nullptr;

  EXPECT_EQ(traceLog_.Count("==> CVeskSDK::Close"), 1u);
  EXPECT_EQ(g_pVeskSDK.load(), nullptr);
  EXPECT_EQ(sink_.Codes(),
            (std::vector<int32_t>{WWAN_NOTIFICATION_SDK_INITIALIZING, WWAN_NOTIFICATION_DETACHED_FROM_DEVICE,
                                  WWAN_NOTIFICATION_DETACHED_FROM_DEVICE, WWAN_NOTIFICATION_SDK_CLOSED}));
  EXPECT_TRUE(traceLog_.AllScopesBalanced());
}

INSTANTIATE_TEST_SUITE_P(CloseFirst, ReleaseTest, testing::Bool());

}  // namespace
}  // namespace plugin_test
