#include "host/web/request_rules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace vesk_host {
namespace {

struct AddressCase {
  const char* text;
  bool valid;
  const char* host;
  uint16_t port;
};

class ServeAddressTest : public testing::TestWithParam<AddressCase> {};

TEST_P(ServeAddressTest, ParsesOrNamesTheFault) {
  std::string error;
  const auto address = ParseServeAddress(GetParam().text, &error);
  ASSERT_EQ(address.has_value(), GetParam().valid) << error;
  if (address) {
    EXPECT_EQ(address->host, GetParam().host);
    EXPECT_EQ(address->port, GetParam().port);
  } else {
    EXPECT_NE(error.find("--serve"), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ServeAddressTest,
    testing::Values(AddressCase{"8080", true, "127.0.0.1", 8080}, AddressCase{"0", true, "127.0.0.1", 0},
                    AddressCase{"0.0.0.0:80", true, "0.0.0.0", 80},
                    AddressCase{"192.168.1.20:65535", true, "192.168.1.20", 65535},
                    AddressCase{"localhost:9000", true, "localhost", 9000}, AddressCase{"[::1]:9000", true, "::1", 9000},
                    AddressCase{"65536", false, "", 0}, AddressCase{"", false, "", 0}, AddressCase{"80a", false, "", 0},
                    AddressCase{"example.org:80", false, "", 0}, AddressCase{"1.2.3.256:80", false, "", 0},
                    AddressCase{"127.0.0.1:", false, "", 0}, AddressCase{"[example]:80", false, "", 0},
                    AddressCase{"-1", false, "", 0}));

// Rows: Host header, the address served on, allowed.
struct HostCase {
  const char* header;
  const char* host;
  bool allowed;
};

class HostHeaderTest : public testing::TestWithParam<HostCase> {};

TEST_P(HostHeaderTest, NamesThisServerOnly) {
  EXPECT_EQ(HostHeaderAllowed(GetParam().header, GetParam().host, 8080), GetParam().allowed);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, HostHeaderTest,
    testing::Values(HostCase{"127.0.0.1:8080", "127.0.0.1", true}, HostCase{"localhost:8080", "127.0.0.1", true},
                    HostCase{"127.0.0.1:8081", "127.0.0.1", false}, HostCase{"127.0.0.1", "127.0.0.1", false},
                    // A name that resolves to this machine is how a rebinding page gets here.
                    HostCase{"attacker.example:8080", "127.0.0.1", false},
                    HostCase{"127.0.0.1.example:8080", "127.0.0.1", false}, HostCase{"", "127.0.0.1", false},
                    HostCase{"[::1]:8080", "::1", true}, HostCase{"[::1]:8080", "127.0.0.1", false},
                    HostCase{"192.168.1.20:8080", "192.168.1.20", true},
                    HostCase{"localhost:8080", "192.168.1.20", false},
                    HostCase{"10.0.0.7:8080", "0.0.0.0", true}, HostCase{"router.lan:8080", "0.0.0.0", false},
                    HostCase{"127.0.0.1:8080x", "127.0.0.1", false}));

TEST(CookieValueTest, FindsTheNamedCookieAmongOthers) {
  EXPECT_EQ(CookieValue("a=1; vesk_token_80=abc; b=2", "vesk_token_80"), "abc");
  EXPECT_EQ(CookieValue("vesk_token_8080=abc", "vesk_token_80"), "");
  EXPECT_EQ(CookieValue("xvesk_token_80=abc", "vesk_token_80"), "");
  EXPECT_EQ(CookieValue("", "vesk_token_80"), "");
}

TEST(TokenTest, OnlyTheWholeTokenMatches) {
  const std::string token = NewToken();
  EXPECT_TRUE(SameToken(token, token));
  EXPECT_FALSE(SameToken(token.substr(0, 31), token));
  EXPECT_FALSE(SameToken(token + "0", token));
  EXPECT_FALSE(SameToken("", ""));
  std::set<std::string> tokens;
  for (int i = 0; i < 100; ++i) {
    tokens.insert(NewToken());
  }
  EXPECT_EQ(tokens.size(), 100u);
  EXPECT_EQ(token.size(), 32u);
}

}  // namespace
}  // namespace vesk_host
