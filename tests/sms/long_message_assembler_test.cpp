// Joining long messages: parts in any order, parts read twice, sets that share a sender, and the sets
// whose missing part never comes.
#include "sms/long_message_assembler.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr int64_t kDay = LongMessageAssembler::kOverdueSeconds;
constexpr int64_t kSent = 1'700'000'000;

struct Reading {
  uint8_t sequence;
  uint32_t index;  // in the device memory; 100 and up on the SIM
  std::u16string sender = u"4915112345678";
  uint16_t reference = 7;
  uint8_t parts = 3;
};

SmsPart PartOf(const Reading& r) {
  const SmsLocation location{r.index >= 100 ? 0u : 1u, r.index % 100};
  std::u16string body = u"<0>";
  body[1] = static_cast<char16_t>(u'0' + r.sequence);
  return {location, r.sender, body, kSent + r.sequence, r.reference, r.parts, r.sequence};
}

struct JoinRow {
  const char* label;
  std::vector<Reading> readings;
  std::vector<std::u16string> joined;  // bodies of the whole messages, in the order they completed
  std::vector<std::vector<SmsLocation>> locations;
  std::size_t waiting;  // sets still incomplete
};

class JoinTest : public testing::TestWithParam<JoinRow> {};

TEST_P(JoinTest, GivesEachWholeMessageOnceWithEveryPlaceItWasReadFrom) {
  LongMessageAssembler assembler;
  std::vector<JoinedSms> whole;
  for (const Reading& reading : GetParam().readings) {
    if (auto message = assembler.Add(PartOf(reading), kSent + 60)) {
      whole.push_back(*message);
    }
  }
  ASSERT_EQ(whole.size(), GetParam().joined.size());
  for (std::size_t i = 0; i < whole.size(); ++i) {  // the time is the first part's
    EXPECT_EQ(std::tie(whole[i].body, whole[i].locations, whole[i].time, whole[i].missing, whole[i].sender),
              std::tuple(GetParam().joined[i], GetParam().locations[i], kSent + 1, 0, u"4915112345678"));
  }
  EXPECT_EQ(assembler.size(), GetParam().waiting);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, JoinTest, testing::Values(
    JoinRow{"OutOfOrderAcrossStorages", {{3, 5}, {1, 101}, {2, 6}}, {u"<1><2><3>"}, {{{1, 5}, {0, 1}, {1, 6}}}, 0},
    // The callback and then the sweep read one part: it counts once and is marked once.
    JoinRow{"PartReadTwiceFromOnePlace", {{1, 5}, {1, 5}, {2, 6}, {3, 7}}, {u"<1><2><3>"},
            {{{1, 5}, {1, 6}, {1, 7}}}, 0},
    // The network delivered a part twice: the first reading is kept, both copies are marked read.
    JoinRow{"PartStoredTwice", {{2, 5}, {2, 9}, {1, 6}, {3, 7}}, {u"<1><2><3>"},
            {{{1, 5}, {1, 9}, {1, 6}, {1, 7}}}, 0},
    JoinRow{"TwoInterleavedSetsOfOneSender", {{1, 1, u"4915112345678", 7, 2}, {1, 2, u"4915112345678", 8, 2},
                                              {2, 3, u"4915112345678", 8, 2}, {2, 4, u"4915112345678", 7, 2}},
            {u"<1><2>", u"<1><2>"}, {{{1, 2}, {1, 3}}, {{1, 1}, {1, 4}}}, 0},
    // A 16-bit reference is not its low byte.
    JoinRow{"SixteenBitReference", {{1, 1, u"4915112345678", 0x1207, 2}, {2, 2, u"4915112345678", 0x0007, 2}},
            {}, {}, 2},
    JoinRow{"SameReferenceOtherSender", {{1, 1, u"4915112345678", 7, 2}, {2, 2, u"VeskBank", 7, 2}}, {}, {}, 2}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

struct OverdueRow {
  const char* label;
  bool afterSweep;
  int64_t firstSeen;  // when the parts were read
  int64_t now;
  bool delivered;
};

class OverdueTest : public testing::TestWithParam<OverdueRow> {};

TEST_P(OverdueTest, DeliversWhatIsThereWithAMarkerForEachGap) {
  const OverdueRow& row = GetParam();
  LongMessageAssembler assembler;
  ASSERT_FALSE(assembler.Add(PartOf({2, 5, u"4915112345678", 7, 4}), row.firstSeen));
  ASSERT_FALSE(assembler.Add(PartOf({4, 6, u"4915112345678", 7, 4}), row.firstSeen));
  const auto overdue = row.afterSweep ? assembler.TakeOverdueAfterSweep(row.now) : assembler.TakeOverdue(row.now);
  ASSERT_EQ(overdue.size(), row.delivered ? 1u : 0u);
  EXPECT_EQ(assembler.size(), row.delivered ? 0u : 1u);
  if (row.delivered) {  // at the time of the first part present
    EXPECT_EQ(std::tie(overdue[0].body, overdue[0].missing, overdue[0].time, overdue[0].locations),
              std::tuple(u"[part 1 of 4 missing]<2>[part 3 of 4 missing]<4>", 2, kSent + 2,
                         std::vector<SmsLocation>{{1, 5}, {1, 6}}));
  }
}

// The newest part was sent at kSent + 4.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, OverdueTest, testing::Values(
    OverdueRow{"SeenADayAgo", false, kSent, kSent + kDay, false},
    OverdueRow{"SeenMoreThanADayAgo", false, kSent, kSent + kDay + 1, true},
    // Without a sweep the time stamps prove nothing: the other parts may still be on their way.
    OverdueRow{"SentLongAgoButJustSeen", false, kSent + 5 * kDay, kSent + 5 * kDay + 1, false},
    OverdueRow{"SweepFindsItSentADayAgo", true, kSent + kDay + 4, kSent + kDay + 4, false},
    OverdueRow{"SweepFindsItSentMoreThanADayAgo", true, kSent + kDay + 5, kSent + kDay + 5, true}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

TEST(LongMessageAssemblerTest, ClearForgetsEveryPartSoTheNextSweepStartsAfresh) {
  LongMessageAssembler assembler;
  ASSERT_FALSE(assembler.Add(PartOf({1, 1}), kSent));
  ASSERT_FALSE(assembler.Add(PartOf({2, 2}), kSent));
  assembler.Clear();
  EXPECT_FALSE(assembler.Add(PartOf({3, 3}), kSent));
  EXPECT_EQ(assembler.TakeOverdue(kSent + 2 * kDay)[0].body, u"[part 1 of 3 missing][part 2 of 3 missing]<3>");
}

}  // namespace
