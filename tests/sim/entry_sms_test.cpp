// Stored messages as the library hands them out: what scenarios and event lines store, in which
// order, with which callbacks.
#include <string>
#include <vector>

#include "sim_library.h"

namespace simtest {
namespace {

class StoredSmsTest : public SimTest {
 protected:
  // Every message of the storage, in index order, as hex.
  std::vector<std::string> Stored(ULONG storage) const {
    ULONG list[2 * 64] = {};
    ULONG count = 64;
    EXPECT_EQ(0u, CALL(lib_, GetSMSList, storage, nullptr, &count, list));
    std::vector<std::string> pdus;
    for (ULONG i = 0; i < count; ++i) {
      BYTE pdu[800];
      ULONG tag = 0, format = 0, size = sizeof pdu;
      EXPECT_EQ(0u, CALL(lib_, GetSMS, storage, list[2 * i], &tag, &format, &size, pdu));
      pdus.push_back(Hex({pdu, size}));
    }
    return pdus;
  }

  // The long message of the tests below: three parts.
  static std::string Long(const char* clause = "") {
    return std::string(clause) + "from VeskBank 2026-12-06 12:00:00 " + std::string(400, 'z');
  }
};

// A message, written either way, as the modem stores it from a scenario and from an event line.
struct StoreCase {
  const char* label;
  const char* value;
  const char* pdu = nullptr;  // as stored, when not the value itself
};

class StoreFormTest : public StoredSmsTest, public testing::WithParamInterface<StoreCase> {};

TEST_P(StoreFormTest, ScenarioAndEventLineStoreTheSamePdus) {
  std::string pdu = GetParam().pdu ? GetParam().pdu : GetParam().value;
  std::erase(pdu, ' ');
  const std::vector<std::string> expected{pdu};
  ASSERT_EQ(0, lib_.LoadScenario(std::string("[sms]\ndevice = ") + GetParam().value + "\n"))
      << lib_.LastError();
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  EXPECT_EQ(Stored(1), expected) << "from the scenario";

  ASSERT_EQ(0, lib_.LoadScenario("[sms]\n"));
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  ASSERT_EQ(0, CALL(lib_, VeskSimEvent, (std::string("sms = device ") + GetParam().value).c_str()))
      << lib_.LastError();
  EXPECT_EQ(Stored(1), expected) << "from the event line";
}

// Hex PDUs are stored as given: the simulator reads none of their fields.
INSTANTIATE_TEST_SUITE_P(
    Messages, StoreFormTest,
    testing::Values(
        // TP-UDHI, alphanumeric sender, UCS2: part 1 of 2, an emoji.
        StoreCase{"HexUcs2PartFromAName",
                  "07915155550500F0 44 0ED0D6F27C2D0CBBD7 00 08 62216021000000 0A 050003010201 D83DDE00"},
        // Text becomes the SMS-DELIVER worked out by hand, its time stamp in zone 0.
        // 13 digits, international; "Hi" packs to C8 34.
        StoreCase{"TextFromANumber", "from +4915112345678 2026-12-06 12:00:00 Hi",
                  "07915155550500F0 04 0D91945111325476F8 0000 62216021000000 02 C834"},
        // Eight septets fill 56 bits: 14 semi-octets, type 0xD0.
        StoreCase{"TextFromAName", "from VeskBank 2026-12-06 12:00:00 Hi",
                  "07915155550500F0 04 0ED0D6F27C2D0CBBD7 0000 62216021000000 02 C834"},
        // Nine septets fill 63 bits: 16 semi-octets in 8 octets.
        StoreCase{"TextFromANameWithABlank", "from \"Vesk Bank\" 2026-12-06 12:00:00 Hi",
                  "07915155550500F0 04 10D0D6F27C0D1286DD6B 0000 62216021000000 02 C834"},
        // Three septets, 21 bits: 6 semi-octets; a reader must not find a fourth septet.
        StoreCase{"TextFromAShortName", "from aaa 2026-12-06 12:00:00 Hi",
                  "07915155550500F0 04 06D0E17018 0000 62216021000000 02 C834"},
        // The emoji is outside both GSM tables: UCS2, its surrogate pair kept as it is.
        StoreCase{"TextWithAnEmojiInUcs2", "from +4915112345678 2026-12-06 12:00:00 Hi \xF0\x9F\x98\x80",
                  "07915155550500F0 04 0D91945111325476F8 0008 62216021000000 0A 00480069 0020D83DDE00"}),
    [](const auto& info) { return std::string(info.param.label); });

// The parts clause: the parts listed, in that order, each at its own index with its callback.
struct OrderCase {
  const char* clause;
  std::string sequence;  // of the stored parts
};

class PartsOrderTest : public StoredSmsTest, public testing::WithParamInterface<OrderCase> {};

TEST_P(PartsOrderTest, PartsArriveInTheOrderListedEachAtItsOwnIndexWithItsCallback) {
  ASSERT_EQ(0, lib_.LoadScenario("[sms]\n"));
  ConnectWithCallbacks();
  ASSERT_EQ(0u, CALL(lib_, SetNewSMSCallback, [](ULONG storage, ULONG index) {
              CallbackRecorder::Get().Add("sms " + std::to_string(storage) + " " + std::to_string(index));
            }));
  ASSERT_EQ(0, CALL(lib_, VeskSimEvent, ("sms = sim " + Long(GetParam().clause)).c_str()))
      << lib_.LastError();
  const std::string& sequence = GetParam().sequence;
  ASSERT_TRUE(recorder_.WaitFor("sms ", sequence.size()));
  std::vector<std::string> callbacks, headers, stored;
  for (size_t i = 0; i < sequence.size(); ++i) {
    callbacks.push_back("sms 0 " + std::to_string(i));
    headers.push_back(std::string("05000301030") + sequence[i]);
  }
  for (const std::string& pdu : Stored(0)) {
    stored.push_back(pdu.substr(56, 12));  // header 05 00 03 REF 03 SEQ from octet 28 (hex digit 56) on
  }
  EXPECT_EQ(recorder_.Texts("sms "), callbacks);
  EXPECT_EQ(stored, headers);
}

INSTANTIATE_TEST_SUITE_P(Clauses, PartsOrderTest,
                         testing::Values(OrderCase{"parts 3,1,2 ", "312"}, OrderCase{"parts 2 ", "2"},
                                         OrderCase{"parts  1,1,3,2 ", "1132"}));

TEST_F(StoredSmsTest, ReferencesCountOnFromTheScenarioAndStartAgainAfterAReset) {
  const auto referenceOfLast = [this] { return Stored(1).back().substr(62, 2); };
  ASSERT_EQ(0,
            lib_.LoadScenario("[sms]\ndevice = " + Long() + "\ndevice = from +1 2026-12-06 12:00:00 hi\n"));
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  EXPECT_EQ(Stored(1).size(), 4u);
  ASSERT_EQ(0, CALL(lib_, VeskSimEvent, ("sms = device " + Long()).c_str()));
  EXPECT_EQ(referenceOfLast(), "02") << "the scenario's long message took 01";
  ASSERT_EQ(0, CALL(lib_, VeskSimEvent, ("sms = device " + Long()).c_str()));
  EXPECT_EQ(referenceOfLast(), "03");
  ASSERT_NE(0, CALL(lib_, VeskSimEvent, ("sms = device " + Long("parts 4 ")).c_str()));
  EXPECT_EQ(lib_.LastError(), "the message has no part 4 (it has 3)");
  ASSERT_EQ(0, CALL(lib_, VeskSimEvent, ("sms = device " + Long()).c_str()));
  EXPECT_EQ(referenceOfLast(), "04") << "a refused line takes no reference";

  lib_.Reset();
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  ASSERT_EQ(0, CALL(lib_, VeskSimEvent, ("sms = device " + Long()).c_str()));
  EXPECT_EQ(referenceOfLast(), "01");
}

}  // namespace
}  // namespace simtest
