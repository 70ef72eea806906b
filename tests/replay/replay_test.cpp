#include "sim/replay.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace vesksim {
namespace {

using veskrec::Arg;
using veskrec::ToArg;

veskrec::Recording Read(const std::string& events) {
  veskrec::Recording recording;
  const std::string text = "generation 2000\nrecorder 0.1.0\ndate 2026-12-07T07:00:00Z\n" + events;
  EXPECT_EQ(veskrec::ReadRecording(text, recording).line, 0);
  return recording;
}

const std::string kCalls =
    "0.000000 0.000001 call GetPower 0 -> 0\n"            // line 4
    "0.000100 0.000001 call SetPower 1 -> 0\n"            // line 5
    "0.000200 callback Power 1\n"                         // line 6
    "0.000300 0.000001 call GetActivationState 2 -> 0\n"  // line 7
    "0.000400 0.000001 call SetAutoconnect 1 -> 0\n";     // line 8

std::optional<size_t> Call(Replay& replay, const char* name, ULONG value, std::string* divergence,
                           int64_t elapsedUs = 0) {
  ULONG out = 0;
  const bool setter = std::string(name).rfind("Set", 0) == 0;
  const Arg arg = setter ? ToArg(value) : ToArg(&out);
  const auto answer = replay.Match(name, &arg, 1, elapsedUs, divergence);
  return answer ? std::optional<size_t>(answer->event) : std::nullopt;
}

// Calls found by their order alone, not by their time.
const ReplaySettings kByOrderOnly{.file = "", .slackMs = 0};

TEST(ReplayTest, CallsFromOtherThreadsMayComeInAnotherOrderWithinTheWindow) {
  Replay replay(Read(kCalls), kByOrderOnly);
  std::string divergence;
  EXPECT_EQ(Call(replay, "GetActivationState", 0, &divergence), 3u);
  EXPECT_EQ(Call(replay, "GetPower", 0, &divergence), 0u);
  EXPECT_EQ(Call(replay, "SetPower", 1, &divergence), 1u);
  EXPECT_EQ(replay.CallbacksAfter(1), std::vector<size_t>{2});
  EXPECT_TRUE(replay.CallbacksAfter(0).empty());
  EXPECT_EQ(Call(replay, "SetAutoconnect", 1, &divergence), 4u);
  EXPECT_EQ(replay.divergences(), 0u);
}

TEST(ReplayTest, ADivergenceNamesTheExpectedAndTheActualCall) {
  Replay replay(Read(kCalls), kByOrderOnly);
  std::string divergence;
  ASSERT_EQ(Call(replay, "GetPower", 0, &divergence), 0u);
  // Another argument is another call.
  EXPECT_FALSE(Call(replay, "SetPower", 4, &divergence));
  EXPECT_EQ(divergence,
            "replay: call 2 diverges: expected SetPower (recording line 5), got SetPower; answered 1");
  EXPECT_FALSE(Call(replay, "GetSessionState", 0, &divergence));
  EXPECT_NE(divergence.find("expected SetPower (recording line 5), got GetSessionState"), std::string::npos);
  // Going on: the recording still answers the calls it has.
  EXPECT_EQ(Call(replay, "SetPower", 1, &divergence), 1u);
  EXPECT_EQ(replay.divergences(), 2u);
}

TEST(ReplayTest, ATimersPollIsFoundByItsTimeBeyondTheWindow) {
  const std::string polls =
      "0.000000 0.000001 call GetActivationState 2 -> 0\n"
      "0.000100 0.000001 call GetAutoconnect 0 -> 0\n"
      "6.000000 0.000001 call GetPower 0 -> 0\n";
  Replay replay(Read(polls), {.file = "", .window = 1, .slackMs = 1000});
  std::string divergence;
  ASSERT_EQ(Call(replay, "GetActivationState", 0, &divergence, 0), 0u);
  // The poll one call on is too far ahead by order, and by time until the time comes near it.
  EXPECT_FALSE(Call(replay, "GetPower", 0, &divergence, 4000000));
  EXPECT_EQ(Call(replay, "GetPower", 0, &divergence, 5500000), 2u);
  EXPECT_EQ(Call(replay, "GetAutoconnect", 0, &divergence, 5600000), 1u);
}

// A replay slower than the recording lets a timer poll once more than recorded before the calls that
// followed it; the module must not be told of a divergence for that.
TEST(ReplayTest, AnExtraQueryIsAnsweredAsLastTimeWithoutItsCallbacks) {
  const std::string calls =
      "0.000000 0.000001 call GetPower 0 -> 0\n"
      "0.000100 callback Power 1\n"
      "6.000000 0.000001 call GetPower 5 -> 0\n"
      "6.000100 0.000001 call SetPower 1 -> 0\n";
  Replay replay(Read(calls), kByOrderOnly);
  std::string divergence;
  ASSERT_EQ(Call(replay, "GetPower", 0, &divergence), 0u);
  ASSERT_EQ(Call(replay, "GetPower", 0, &divergence), 2u);
  ULONG out = 7;
  const veskrec::Arg query = ToArg(&out);
  const auto repeat = replay.Match("GetPower", &query, 1, 0, &divergence);
  ASSERT_TRUE(repeat);
  EXPECT_EQ(std::tuple(repeat->event, repeat->repeat, replay.repeats()), std::tuple(2u, true, 1u))
      << "the latest recorded answer, as a repeat";
  EXPECT_EQ(Call(replay, "SetPower", 1, &divergence), 3u);
  // An action is not repeated for the module.
  EXPECT_FALSE(Call(replay, "SetPower", 1, &divergence));
  EXPECT_NE(divergence.find("expected the end of the recording, got SetPower"), std::string::npos);
  EXPECT_EQ(replay.divergences(), 1u);
}

TEST(ReplayTest, TheImageStoreIsRebuiltInsideItsOwnFolder) {
  const auto images =
      RecordedImages(Read("0.0 0.0 call GetImageStoreW 260 u\"C:\\\\store\\\\\" -> 0\n"
                          "0.0 0.0 call GetImageInfoW u\"C:\\\\store\\\\umts\\\\v2\" 3 1 201 0 1 -> 0\n"
                          "0.0 0.0 call GetImageInfoW u\"C:\\\\store\\\\empty\" 0 0 0 0 0 -> 19\n"
                          "0.0 0.0 call GetImageInfoW u\"C:\\\\store\\\\..\\\\..\\\\etc\" 3 0 1 0 1 -> 0\n"
                          "0.0 0.0 call GetImageInfoW u\"C:\\\\store\\\\umts\\\\v2\" 9 9 9 9 9 -> 0\n"));
  ASSERT_EQ(images.size(), 3u);
  EXPECT_EQ(std::tuple(images[0].folder, images[0].info.carrier, images[1].folder, images[1].hasImage,
                       images[2].folder),
            std::tuple("umts/v2", 201u, "empty", false, "etc"));
}

}  // namespace
}  // namespace vesksim
