// The SMS-DELIVER decoder on any bytes: it must stop at the first fault, never read outside its
// buffer, and give the same result for the same PDU.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "sms/sms_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> pdu(data, size);
  SMSParser first(pdu);
  const int32_t code = first.Parse();
  if (code != first.errorCode) {
    std::abort();
  }
  // A body is at most 255 septets, and an escape pair gives one character.
  if (code == 0 && first.body.size() > 255) {
    std::fprintf(stderr, "body of %zu characters\n", first.body.size());
    std::abort();
  }
  SMSParser second(pdu);
  if (second.Parse() != code || second.body != first.body || second.sender != first.sender ||
      second.time != first.time) {
    std::abort();
  }
  return 0;
}
