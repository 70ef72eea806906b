// Firmware images: the listing of the modem's image store, and switching to another image with its
// preconditions, the detach, the attach 10 s later and the completion notification.
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "e2e_host.h"
#include "platform/text.h"
#include "vesk/notifications.h"

namespace e2e {
namespace {

constexpr char kRefusedDetached[] =
    "    Cannot updgrade image when PC in low power mode (suspended) or SDK is dettached";
constexpr char kRefusedOffline[] = "    Cannot updgrade image when Vesk device is about to go offline ";

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
};

// The store the build made (tests/e2e/CMakeLists.txt), with links that lead into it, to it and out
// of it, given with and without a closing separator. Every folder is listed once, parents first,
// with the system's separator, and a link into the store is listed but not walked through.
class ImageStorePathTest : public ImagesTest, public testing::WithParamInterface<bool> {};

TEST_P(ImageStorePathTest, ListsEveryLevelOnceFollowingOnlyLinksIntoTheStore) {
  const std::string separator(1, static_cast<char>(std::filesystem::path::preferred_separator));
  const std::string store = VESK_LINKED_IMAGE_STORE;
  AttachAndWait("[modem]\nimage_store = " + store + (GetParam() ? separator : "") + "\n");
  std::vector<std::string> listed;  // folder, firmware ID, region, active
  for (const ImageRecord& image : List()) {
    listed.push_back(platform::Narrow(image.path) + " " + std::to_string(image.firmwareId) + " " +
                     std::to_string(image.region) + (image.active ? " A" : ""));
  }
  const auto in = [&](std::string path) {
    for (char& c : path) {
      c = c == '/' ? separator[0] : c;
    }
    return store + separator + path;
  };
  EXPECT_EQ(listed, (std::vector<std::string>{
                        in("0-alias 3 7"), in("a-running 3 0 A"), in("a-running/child 4 0"),
                        in("a-running/child/grandchild 5 0"), in("b-region 3 7"), in("b-region/inner 4 7"),
                        in("empty/inner 6 0"), in("z-alias 3 7")}));
  EXPECT_TRUE(traceLog_.Contains("    Unable to open file in " + in("empty"), kTraceLevelInfo));
}

INSTANTIATE_TEST_SUITE_P(ClosingSeparator, ImageStorePathTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "With" : "Without"; });

// Without a library nothing is listed; a failed query leaves out what it asked about, and the list
// as it was when the store itself cannot be read.
TEST_F(ImagesTest, AFailedQueryLeavesOutWhatItAskedAbout) {
  std::vector<ImageRecord> images(1);
  EXPECT_FALSE(Vesk()->IsImageSwitchingSupported());
  EXPECT_FALSE(Vesk()->GetImageList(&images));
  AttachAndWait(std::string("[modem]\nimage_store = ") + VESK_LINKED_IMAGE_STORE + "\n");
  second_.Fail("GetImageInfoW", GENERAL_ERROR, 1);
  EXPECT_EQ(List().size(), 7u);  // of eight
  EXPECT_TRUE(traceLog_.Contains("    GetImageInfo returned (1) for subdirectory ", kTraceLevelError));
  second_.Fail("GetImageStoreW", GENERAL_ERROR, 1);
  EXPECT_FALSE(Vesk()->GetImageList(&images));
  EXPECT_EQ(images.size(), 1u);
  EXPECT_TRUE(traceLog_.Contains("    GetImageStore returned (1)", kTraceLevelError));
  EXPECT_FALSE(Vesk()->GetImageList(nullptr));
  ASSERT_TRUE(sdk_->Close());
  EXPECT_FALSE(Vesk()->GetImageList(&images));
  EXPECT_EQ(second_.CallCount("GetImageStoreW"), 2u) << "neither of the last two asks the modem";
}

TEST_F(ImagesTest, SwitchDetachesAttachesTenSecondsLaterAndReportsCompletionOnce) {
  AttachAndWait();
  List();
  const std::string target = Store() + "/generic-cdma";
  // A failed upgrade leaves the manager attached with nothing pending.
  const std::size_t from = sink_.Count();
  second_.Fail("UpgradeFirmwareW", GENERAL_ERROR, 1);
  EXPECT_FALSE(Switch(target));
  EXPECT_FALSE(Vesk()->StartImageSwitchingProcess(nullptr));
  EXPECT_TRUE(Vesk()->IsImageSwitchingSupported());

  ASSERT_TRUE(Switch(target));
  // The modem has not come back yet.
  EXPECT_FALSE(Switch(target));

  const std::size_t detached = WaitFor(WWAN_NOTIFICATION_DETACHED_FROM_DEVICE, from);
  const std::size_t attached = WaitFor(WWAN_NOTIFICATION_ATTACHED_TO_DEVICE, detached);
  const std::size_t complete = WaitFor(WWAN_NOTIFICATION_VESK_IMAGE_SWITCHING_COMPLETE, attached);
  const auto notifications = sink_.Notifications();
  EXPECT_GE(notifications[attached].time - notifications[detached].time, AtLeast(10000));
  EXPECT_EQ(notifications[complete].param1, 0u);
  EXPECT_EQ(second_.CallCount("UpgradeFirmwareW"), 2u);
  EXPECT_EQ(CodesFrom(from, {WWAN_NOTIFICATION_DETACHED_FROM_DEVICE}).size(), 1u);  // none for the failure

  // The running image is now the one switched to; a later attach reports no completion.
  const std::vector<ImageRecord> images = List();
  ASSERT_EQ(images.size(), 2u);
  EXPECT_TRUE(images[0].active);  // generic-cdma
  EXPECT_FALSE(images[1].active);
  EXPECT_TRUE(sdk_->DetachFromCellularDevice());
  AttachUntilEvaluated();
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_VESK_IMAGE_SWITCHING_COMPLETE).size(), 1u);
}

// A power tick that reads the restarting modem while the switch detaches must not detach a second
// time nor put off the switch's attach: the switch has let go already. The switch's stop of GPS
// tracking is held, so that ticks read the restarting modem before the detach stops their timer.
TEST_F(ImagesTest, APowerTickCaughtByTheSwitchLeavesItsDetachAndAttachAlone) {
  AttachAndWait();
  List();
  const std::string target = Store() + "/generic-cdma";
  ASSERT_TRUE(sdk_->StartGPSTracking());
  second_.Delay("SetServiceAutomaticTracking", UINT32_MAX);
  const std::size_t from = sink_.Count();
  std::thread release([&] {
    EXPECT_TRUE(WaitForLines("    Power mode "));  // 4, or 3 once the restarting modem is gone
    second_.Release("SetServiceAutomaticTracking");
  });
  ASSERT_TRUE(Switch(target));
  release.join();

  const std::size_t detached = WaitFor(WWAN_NOTIFICATION_DETACHED_FROM_DEVICE, from);
  const std::size_t attached = WaitFor(WWAN_NOTIFICATION_ATTACHED_TO_DEVICE, detached);
  WaitFor(WWAN_NOTIFICATION_VESK_IMAGE_SWITCHING_COMPLETE, attached);
  const auto notifications = sink_.Notifications();
  EXPECT_LT(notifications[attached].time - notifications[detached].time, AtLeast(15000));
  EXPECT_EQ(CodesFrom(from, {WWAN_NOTIFICATION_DETACHED_FROM_DEVICE}).size(), 1u);
  EXPECT_TRUE(WaitForLines("    Vesk device already detached, power mode "));
}

class SwitchRefusalTest;

struct RefusalRow {
  const char* label;
  std::function<void(SwitchRefusalTest&)> arrange;
  std::string line;
};

class SwitchRefusalTest : public ImagesTest, public testing::WithParamInterface<RefusalRow> {
 public:
  void TearDown() override {
    // A start held in the library would hold the detach of the teardown.
    second_.Delay("StartDataSession", 0);
    second_.Release("StartDataSession");
    ImagesTest::TearDown();
  }
  void BlockDataSessionStart() {
    AttachAndWait();
    second_.Delay("StartDataSession", UINT32_MAX);
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
  void PowerUnreadable() {
    AttachAndWait();
    second_.Fail("GetPower", GENERAL_ERROR, UINT32_MAX);
  }
  // The power-mode monitor detaches from a modem about to go offline on its next tick; on the real
  // clock that tick is 6 s away, which leaves the switch time to see the mode first.
  void GoingOffline(int mode) {
    SetTimeScale(1.0);
    AttachUntilEvaluated("[timing]\nrestart_ms = 120000\n");
    ASSERT_TRUE(second_.WaitForCalls("GetPower", 1));
    second_.Event(("power = " + std::to_string(mode)).c_str());
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
    RefusalRow{"PcAsleep", [](SwitchRefusalTest& t) { t.Sleep(); }, kRefusedDetached},
    RefusalRow{"DataSessionStartBlocked", [](SwitchRefusalTest& t) { t.BlockDataSessionStart(); },
               "    Cannot upgrade image when API is blocked"},
    RefusalRow{"PowerUnreadable", [](SwitchRefusalTest& t) { t.PowerUnreadable(); }, "    GetPower failed (1)"},
    RefusalRow{"GoingOffline5", [](SwitchRefusalTest& t) { t.GoingOffline(5); },
               kRefusedOffline + std::string("5")}), kLabel);
// clang-format on

}  // namespace
}  // namespace e2e
