// The callback guarantees the module relies on: none after QCWWANDisconnect returns, and a callback may
// call back into the library, even to disconnect; and the NMEA sentences of a track point.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>

#include "sim_library.h"

namespace simtest {
namespace {

using CallbackGuaranteeTest = SimTest;

TEST_F(CallbackGuaranteeTest, DisconnectWaitsForTheRunningCallbackAndNothingFollows) {
  ConnectWithCallbacks();
  std::promise<void> entered, release;
  std::atomic<bool> finished{false};
  recorder_.OnNext([&] {
    entered.set_value();
    release.get_future().wait();
    finished = true;
  });
  ASSERT_EQ(0, CALL(lib_, VeskSimEvent, "roaming = 0"));
  ASSERT_EQ(0, CALL(lib_, VeskSimEvent, "roaming = 2"));  // queued behind the held callback
  entered.get_future().wait();

  auto disconnect = std::async(std::launch::async, [&] {
    const ULONG result = CALL(lib_, QCWWANDisconnect);
    EXPECT_TRUE(finished) << "returned while a callback still ran";
    return result;
  });
  ASSERT_EQ(0, CALL(lib_, VeskSimWaitForCalls, "QCWWANDisconnect", 1, 10000));
  release.set_value();
  EXPECT_EQ(0u, disconnect.get());
  // The queued event may still reach the old client while the disconnect is under way, never after.
  const auto roamingSeen = recorder_.Count("roaming");

  // A new client's callback sees the next event; the old one sees nothing more.
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  ASSERT_EQ(0u, CALL(lib_, SetPowerCallback,
                     [](ULONG mode) { CallbackRecorder::Get().Add("power " + std::to_string(mode)); }));
  ASSERT_EQ(0, CALL(lib_, VeskSimEvent, "power = 1"));
  ASSERT_TRUE(recorder_.WaitFor("power 1"));
  EXPECT_EQ(roamingSeen, recorder_.Count("roaming"));
}

TEST_F(CallbackGuaranteeTest, CallbackMayCallTheLibraryAndDisconnectFromInside) {
  ConnectWithCallbacks();
  ULONG stateSeen = 0, disconnectResult = 99;
  recorder_.OnNext([&] {
    CALL(lib_, GetSessionState, &stateSeen);
    disconnectResult = CALL(lib_, QCWWANDisconnect);
  });
  ASSERT_EQ(0, CALL(lib_, VeskSimEvent, "device = removed"));
  ASSERT_TRUE(recorder_.WaitFor("removal"));
  EXPECT_EQ(NO_CONNECTION_TO_WWAN_DEVICE, disconnectResult) << "the modem had gone";
  EXPECT_EQ(0u, stateSeen) << "a gone modem answers no state";
  EXPECT_EQ(NO_CONNECTION_TO_WWAN_DEVICE, CALL(lib_, QCWWANDisconnect));
}

// A load ends the old world, also one made by a callback: the events queued behind it never run.
TEST_F(CallbackGuaranteeTest, ALoadDropsTheEventsQueuedBehindTheCallbackThatMadeIt) {
  ConnectWithCallbacks();
  std::promise<void> posted;
  std::promise<int> loaded;
  recorder_.OnNext([&] {
    posted.get_future().wait();
    loaded.set_value(lib_.LoadScenario("[sim]\npin_status = 3\n"));
  });
  for (const char* line : {"roaming = 1", "roaming = 2", "roaming = 3"}) {
    ASSERT_EQ(0, CALL(lib_, VeskSimEvent, line));
  }
  posted.set_value();
  ASSERT_EQ(0, loaded.get_future().get());
  // The next world's event reaches its client; nothing of the old one arrived meanwhile.
  ConnectWithCallbacks();
  ASSERT_EQ(0, CALL(lib_, VeskSimEvent, "roaming = 4"));
  ASSERT_TRUE(recorder_.WaitFor("roaming 4"));
  EXPECT_EQ(recorder_.Texts("roaming"), (std::vector<std::string>{"roaming 1", "roaming 4"}));
}

// Events acted out now go in front of a timed one still pending, in the order they were played.
TEST_F(CallbackGuaranteeTest, EventsDueNowOvertakeAPendingLaterOneInOrder) {
  ASSERT_EQ(0, lib_.LoadScenario("[events]\nwait = 6000000\nroaming = 9\n"));  // a real minute away
  ConnectWithCallbacks();
  for (const char* line : {"roaming = 1", "roaming = 2", "roaming = 3"}) {
    ASSERT_EQ(0, CALL(lib_, VeskSimEvent, line));
  }
  ASSERT_TRUE(recorder_.WaitFor("roaming", 3));
  EXPECT_EQ(recorder_.Texts("roaming"), (std::vector<std::string>{"roaming 1", "roaming 2", "roaming 3"}));
}

using GpsTest = SimTest;

// A southern and western point gets S and W, and minutes that round up to 60 carry into the degrees.
TEST_F(GpsTest, ATrackPointIsReportedAsRmcGgaAndGns) {
  ASSERT_EQ(0, lib_.LoadScenario("[gps]\npds_enabled = yes\nauto_tracking = yes\n"
                                 "point = -10.9999999 -151.2 -12.5 12\n"))
      << lib_.LastError();
  ConnectWithCallbacks();
  ASSERT_TRUE(recorder_.WaitFor("nmea", 3));
  const auto sentences = recorder_.Texts("nmea ");
  EXPECT_EQ(sentences[0].rfind("nmea $GPRMC,120000.00,A,1100.0000,S,15112.0000,W,", 0), 0u) << sentences[0];
  EXPECT_EQ(sentences[1].rfind("nmea $GPGGA,120000.00,1100.0000,S,15112.0000,W,1,12,0.9,-12.5,", 0), 0u);
  EXPECT_EQ(sentences[2].rfind("nmea $GNGNS,120000.00,1100.0000,S,15112.0000,W,AA,12,", 0), 0u);
}

// Each connect shows the connected modem's images afresh: whatever the host left in the store goes.
class ImageStoreTest : public SimTest, public testing::WithParamInterface<const char*> {};

TEST_P(ImageStoreTest, EachConnectReplacesWhatTheHostLeft) {
  ASSERT_EQ(0, lib_.LoadScenario("[images]\nfirst = 3 1 201 0 1\n")) << lib_.LastError();
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  char path[512] = {};
  ASSERT_EQ(0u, CALL(lib_, GetImageStoreA, sizeof path, reinterpret_cast<uintptr_t>(path)));
  const std::filesystem::path store(path);
  const std::filesystem::path left = store / GetParam();
  std::filesystem::create_directories(left.parent_path());
  std::ofstream(left) << "left by the host\n";
  std::filesystem::remove(store / "first" / "image.vsk");
  ASSERT_EQ(0u, CALL(lib_, QCWWANDisconnect));

  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  EXPECT_FALSE(std::filesystem::exists(left));
  EXPECT_TRUE(std::filesystem::exists(store / "first" / "image.vsk"));
}

INSTANTIATE_TEST_SUITE_P(Leftovers, ImageStoreTest,
                         testing::Values("stray.vsk", "second/image.vsk", "first/extra.vsk"));

}  // namespace
}  // namespace simtest
