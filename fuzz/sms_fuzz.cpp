// The SMS-DELIVER decoder on any bytes, the input's size standing for the size the library reports:
// it must stop at the first fault, never read outside the message, give well-formed results, and give
// the same result for the same PDU.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "sms/sms_parser.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

// True when every surrogate is part of a pair.
bool IsWellFormed(const std::u16string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      ++i;
    } else if (text[i] >= 0xD800 && text[i] <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> pdu(data, size);
  SMSParser first(pdu);
  const int32_t code = first.Parse();
  if (code != first.errorCode) {
    Fail("Parse's result is not errorCode");
  }
  if (code == 0) {
    // At most 255 septets (an escape pair gives one character) or 255 bytes of UCS2 (128 units), and
    // never more characters than the message has septets.
    if (first.body.size() > 255 || first.body.size() * 7 > size * 8) {
      std::fprintf(stderr, "body of %zu characters from %zu bytes\n", first.body.size(), size);
      std::abort();
    }
    if (first.sender.empty() || !IsWellFormed(first.body)) {
      Fail("empty sender or a lone surrogate in the body");
    }
    if (first.timeValid == (first.time == 0)) {  // a valid date lies in 1991 to 2090
      Fail("time and timeValid disagree");
    }
    const SMSParser::Concatenation& part = first.concatenation;
    if (part.parts != 0 && (part.sequence == 0 || part.sequence > part.parts)) {
      Fail("a concatenation element that should have been ignored");
    }
  } else if (!first.body.empty()) {
    Fail("text from a refused message");
  }
  SMSParser second(pdu);
  if (second.Parse() != code || second.body != first.body || second.sender != first.sender ||
      second.serviceCentre != first.serviceCentre || second.time != first.time ||
      second.timeValid != first.timeValid || second.concatenation.reference != first.concatenation.reference ||
      second.concatenation.parts != first.concatenation.parts ||
      second.concatenation.sequence != first.concatenation.sequence ||
      second.lockingShiftTable != first.lockingShiftTable || second.singleShiftTable != first.singleShiftTable) {
    Fail("a second parse differs");
  }
  return 0;
}
