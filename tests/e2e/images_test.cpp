// Firmware images: the listing of the modem's image store, and switching to another image with its
// preconditions, the detach, the attach 10 s later and the completion notification.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "e2e_host.h"
#include "platform/text.h"
#include "vesk/notifications.h"

namespace e2e {
namespace {

constexpr char kRefusedDetached[] =
    "    Cannot updgrade image when PC in low power mode (suspended) or SDK is dettached";

class ImagesTest : public EndToEndTest {
 protected:
  IVeskSDK* Vesk() { return sdk_->GetVeskSDK(); }

  // The image store's path, as the last listing traced it.
  std::string Store() const {
    const auto line = traceLog_.FindLine("    Image store ");
    return line ? line->text.substr(std::string("    Image store ").size()) : std::string();
  }
  std::vector<ImageRecord> List() {
    std::vector<ImageRecord> images;
    EXPECT_TRUE(Vesk()->GetImageList(&images));
    return images;
  }
  bool Switch(const std::string& path) {
    const std::u16string wide = platform::Widen(path);
    return Vesk()->StartImageSwitchingProcess(wide.c_str());
  }
  std::string Path(const ImageRecord& image) const { return platform::Narrow(image.path); }
};

TEST_F(ImagesTest, ListsEveryLevelParentsFirstAndMarksOnlyTheRunningImage) {
  second_.Load(
      "[sim]\npin_status = 3\n[images]\n"
      "a-running = 3 1 201 0 1\n"
      "a-running/child = 4 0 1 0 1\n"
      "a-running/child/grandchild = 5 1 2 0 0\n"
      "a-running/loop = link ..\n"  // the store itself: a loop
      "b-region = 3 1 201 7 1\n"    // differs from the running image in its region only
      "empty = none\n"
      "empty/inner = 6 1 201 0 1\n"
      "0-alias = link b-region\n"  // inside the store: followed
      "outside = link ..\n");      // out of the store: not followed
  AttachAndWait();
  const std::vector<ImageRecord> images = List();
  const std::string store = Store();
  ASSERT_FALSE(store.empty());

  struct Expected {
    const char* folder;
    uint32_t firmwareId;
    uint32_t region;
    bool active;
  };
  const Expected expected[] = {
      {"0-alias", 3, 7, false},  {"a-running", 3, 0, true},  {"a-running/child", 4, 0, false},
      {"a-running/child/grandchild", 5, 0, false}, {"b-region", 3, 7, false}, {"empty/inner", 6, 0, false},
  };
  ASSERT_EQ(images.size(), std::size(expected));
  for (std::size_t i = 0; i < images.size(); ++i) {
    EXPECT_EQ(Path(images[i]), store + "/" + expected[i].folder) << i;
    EXPECT_EQ(images[i].firmwareId, expected[i].firmwareId) << i;
    EXPECT_EQ(images[i].region, expected[i].region) << i;
    EXPECT_EQ(images[i].active, expected[i].active) << i;
  }
  EXPECT_TRUE(traceLog_.Contains("    Unable to open file in " + store + "/empty", kTraceLevelInfo));
  EXPECT_TRUE(traceLog_.Contains("    Active Image: 'Tessary' 1 0 1", kTraceLevelInfo));
  EXPECT_TRUE(traceLog_.Contains("    Image 1: 'Tessary' 1 0 1 A '" + store + "/a-running'", kTraceLevelInfo));
  EXPECT_TRUE(traceLog_.Contains("    Image 4: 'Tessary' 1 7 1 I '" + store + "/b-region'", kTraceLevelInfo));
}

TEST_F(ImagesTest, WithoutALibraryConnectionNothingIsListedOrSupported) {
  std::vector<ImageRecord> images(1);
  EXPECT_FALSE(Vesk()->IsImageSwitchingSupported());
  EXPECT_FALSE(Vesk()->GetImageList(&images));
  EXPECT_EQ(images.size(), 1u);  // left as it was
  EXPECT_TRUE(traceLog_.Contains("    GetFirmwareInfo returned (8)", kTraceLevelError));
  EXPECT_FALSE(Vesk()->GetImageList(nullptr));
}

TEST_F(ImagesTest, AnUnreadableStoreFailsTheListing) {
  AttachAndWait();
  List();
  const std::string store = Store();
  std::filesystem::remove_all(store);
  std::vector<ImageRecord> images;
  EXPECT_FALSE(Vesk()->GetImageList(&images));
  EXPECT_TRUE(traceLog_.Contains("    Searching for directories failed (2)", kTraceLevelError));
}

TEST_F(ImagesTest, SwitchDetachesAttachesTenSecondsLaterAndReportsCompletionOnce) {
  AttachAndWait();
  EXPECT_TRUE(Vesk()->IsImageSwitchingSupported());
  List();
  const std::string target = Store() + "/generic-cdma";
  const std::size_t from = sink_.Count();
  ASSERT_TRUE(Switch(target));
  // The modem has not come back yet.
  EXPECT_FALSE(Switch(target));
  EXPECT_TRUE(traceLog_.Contains("    Vesk image switching already in progress", kTraceLevelError));

  const std::size_t detached = WaitFor(WWAN_NOTIFICATION_DETACHED_FROM_DEVICE, from);
  const std::size_t attached = WaitFor(WWAN_NOTIFICATION_ATTACHED_TO_DEVICE, detached);
  const std::size_t complete = WaitFor(WWAN_NOTIFICATION_VESK_IMAGE_SWITCHING_COMPLETE, attached);
  const auto notifications = sink_.Notifications();
  EXPECT_GE(notifications[attached].time - notifications[detached].time, AtLeast(10000));
  EXPECT_EQ(notifications[complete].param1, 0u);
  EXPECT_EQ(second_.CallCount("UpgradeFirmwareW"), 1u);
  EXPECT_TRUE(traceLog_.Contains(
      "    Vesk SDK detaching from device due to the start of vesk image switching", kTraceLevelInfo));

  // The running image is now the one switched to; a later attach reports no completion.
  const std::vector<ImageRecord> images = List();
  ASSERT_EQ(images.size(), 2u);
  EXPECT_TRUE(images[0].active);  // generic-cdma
  EXPECT_FALSE(images[1].active);
  EXPECT_TRUE(sdk_->DetachFromCellularDevice());
  const std::size_t again = sink_.Count();
  const std::size_t initialized = LineTimes("<== CVeskSDK::InitializeVesk").size();
  ASSERT_TRUE(sdk_->AttachToCellularDevice());
  WaitFor(WWAN_NOTIFICATION_ATTACHED_TO_DEVICE, again);
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::InitializeVesk", initialized + 1));
  Settle();
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_VESK_IMAGE_SWITCHING_COMPLETE).size(), 1u);
}

TEST_F(ImagesTest, AFailedUpgradeLeavesTheManagerAttached) {
  AttachAndWait();
  List();
  second_.Fail("UpgradeFirmwareW", GENERAL_ERROR, 1);
  const std::string target = Store() + "/generic-cdma";
  EXPECT_FALSE(Switch(target));
  EXPECT_TRUE(traceLog_.Contains("    UpgradeFirmware failed '" + target + "' (1)", kTraceLevelError));
  Settle();
  EXPECT_TRUE(Notifications(WWAN_NOTIFICATION_DETACHED_FROM_DEVICE).empty());
  EXPECT_TRUE(Vesk()->IsImageSwitchingSupported());
  // Nothing pending: the next switch goes ahead.
  EXPECT_TRUE(Switch(target));
}

class SwitchRefusalTest;

struct RefusalRow {
  const char* label;
  std::function<void(SwitchRefusalTest&)> arrange;
  const char* line;
};
void PrintTo(const RefusalRow& row, std::ostream* os) {
  *os << row.label;
}

class SwitchRefusalTest : public ImagesTest, public testing::WithParamInterface<RefusalRow> {
 public:
  void TearDown() override {
    // A start held in the library would hold the detach of the teardown.
    second_.Call<void>("VeskSimDelay", "StartDataSession", 0u);
    second_.Call<void>("VeskSimRelease", "StartDataSession");
    ImagesTest::TearDown();
  }
  void BlockDataSessionStart() {
    AttachAndWait();
    second_.Call<void>("VeskSimDelay", "StartDataSession", UINT32_MAX);
    ASSERT_TRUE(sdk_->Connect("internet.test", "", ""));
    ASSERT_TRUE(second_.WaitForCalls("StartDataSession", 1));
    sdk_->Disconnect();
    ASSERT_TRUE(WaitForLines("StartDataSession blocking"));
  }
  void Sleep() {
    AttachAndWait();
    powerSource_.RaiseSleep();
    ASSERT_TRUE(WaitForLines("    Entering sleep mode"));
  }
  void CloseManager() {
    AttachAndWait();
    ASSERT_TRUE(sdk_->Close());
  }
};

TEST_P(SwitchRefusalTest, RefusesWithItsReasonAndFlashesNothing) {
  GetParam().arrange(*this);
  EXPECT_FALSE(Switch("/no/such/image"));
  EXPECT_TRUE(traceLog_.Contains(GetParam().line, kTraceLevelError)) << GetParam().line;
  EXPECT_EQ(second_.CallCount("UpgradeFirmwareW"), 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, SwitchRefusalTest, testing::Values(
    RefusalRow{"NeverAttached", [](SwitchRefusalTest&) {}, kRefusedDetached},
    RefusalRow{"Closed", [](SwitchRefusalTest& t) { t.CloseManager(); }, kRefusedDetached},
    RefusalRow{"PcAsleep", [](SwitchRefusalTest& t) { t.Sleep(); }, kRefusedDetached},
    RefusalRow{"DataSessionStartBlocked", [](SwitchRefusalTest& t) { t.BlockDataSessionStart(); },
               "    Cannot upgrade image when API is blocked"}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

// The power-mode monitor detaches from a modem about to go offline on its next tick; on the real
// clock that tick is 6 s away, which leaves the switch time to see the mode first.
class SwitchPowerModeTest : public ImagesTest, public testing::WithParamInterface<int> {};

TEST_P(SwitchPowerModeTest, RefusesWhileTheModemIsAboutToGoOffline) {
  SetTimeScale(1.0);
  second_.Load("[sim]\npin_status = 3\n[timing]\nrestart_ms = 120000\n");
  AttachUntilEvaluated();
  ASSERT_TRUE(second_.WaitForCalls("GetPower", 1));
  const std::string event = "power = " + std::to_string(GetParam());
  second_.Event(event.c_str());
  EXPECT_FALSE(Switch("/no/such/image"));
  EXPECT_TRUE(traceLog_.Contains(
      "    Cannot updgrade image when Vesk device is about to go offline " + std::to_string(GetParam()),
      kTraceLevelError));
  EXPECT_EQ(second_.CallCount("UpgradeFirmwareW"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Modes, SwitchPowerModeTest, testing::Values(3, 4, 5));

}  // namespace
}  // namespace e2e
