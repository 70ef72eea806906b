#include <string>

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

}  // namespace
}  // namespace simtest
