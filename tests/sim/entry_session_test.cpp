#include <string>

#include "sim_library.h"

namespace simtest {
namespace {

using SessionTest = SimTest;

// The built-in SIM takes PIN 1234 with three tries; the third wrong entry blocks it for good.
TEST_F(SessionTest, ThirdWrongPinBlocksTheSimAndTheRightOneIsThenRefused) {
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  std::string answers;
  for (const char* pin : {"0000", "1111", "2222", "1234"}) {
    ULONG retries = 99;
    ULONG unblock = 99;
    const ULONG result = CALL(lib_, UIMVerifyPIN, 1, pin, &retries, &unblock);
    answers += std::to_string(result) + "/" + std::to_string(retries) + "/" + std::to_string(unblock) + " ";
  }
  EXPECT_EQ("1012/2/10 1012/1/10 1013/0/10 1013/0/10 ", answers);
  ULONG status = 0;
  ULONG retries = 0;
  ULONG unblock = 0;
  ASSERT_EQ(0u, CALL(lib_, UIMGetPINStatus, 1, &status, &retries, &unblock));
  EXPECT_EQ(4u, status);
}

}  // namespace
}  // namespace simtest
