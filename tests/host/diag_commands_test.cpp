// The diag command's arguments and the command word they make.
#include "host/diag_commands.h"

#include <gtest/gtest.h>

namespace vesk_host {
namespace {

struct WordCase {
  std::vector<std::string> args;
  std::optional<uint32_t> word;
};

class DiagnosticWordTest : public testing::TestWithParam<WordCase> {};

TEST_P(DiagnosticWordTest, PacksTheParameterAboveTheCode) {
  EXPECT_EQ(DiagnosticCommandWord(GetParam().args), GetParam().word);
}

INSTANTIATE_TEST_SUITE_P(Arguments, DiagnosticWordTest, testing::Values(
    WordCase{{"50000"}, 50000u},
    WordCase{{"8", "1"}, 0x00010008u},
    WordCase{{"8", "65535"}, 0xFFFF0008u},
    WordCase{{"6", "244", "91"}, 0xF45B0006u},  // MCC high byte, MNC below it
    WordCase{{"6", "0", "5"}, 0x00050006u},
    WordCase{{"6", "256", "1"}, std::nullopt},
    WordCase{{"7", "1", "2"}, std::nullopt},  // only code 6 takes two parameters
    WordCase{{"8", "65536"}, std::nullopt},
    WordCase{{"65536"}, std::nullopt},
    WordCase{{"3x"}, std::nullopt},
    WordCase{{"-1"}, std::nullopt},
    WordCase{{}, std::nullopt}));

}  // namespace
}  // namespace vesk_host
