#include <string>
#include <vector>

#include "sim/sms_pdu.h"
#include "sim_library.h"

namespace simtest {
namespace {

TEST(BuildDeliverPdu, LongTextIsCutTo160SeptetsBeforeAnEscapeThatWouldLoseItsCharacter) {
  const auto cut = vesksim::BuildDeliverPdu("1", "2", {}, std::string(200, 'a'));
  EXPECT_EQ(160, cut[cut.size() - 141]);  // user data length, then 140 bytes of septets
  // 159 septets of text, then the euro sign's two: only the text fits.
  const auto pdu = vesksim::BuildDeliverPdu("1", "2", {}, std::string(159, 'a') + "\xE2\x82\xAC");
  EXPECT_EQ(159, pdu[pdu.size() - 141]);  // 159 septets fill 140 bytes too
}

TEST(ParseTextMessage, RefusesWhatItCannotEncode) {
  for (const std::string& bad : std::vector<std::string>{
           "+1234 2009-05-12 10:30:00", "abc 2009-05-12 10:30:00 hi", "+1234 1990-05-12 10:30:00 hi",
           "+1234 2009-13-12 10:30:00 hi", "+1234 2009-05-12 10:30 hi", "+1234 2009-05-12 10:30:00 \xC3\xB4",
           "+1 2009-05-12 10:30:00 " + std::string(81, '{')}) {
    std::string error;
    EXPECT_FALSE(vesksim::ParseTextMessage(bad, &error).has_value()) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

}  // namespace
}  // namespace simtest
