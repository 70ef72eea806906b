// Reads one number at the start of an NMEA field, with the results that formatted stream extraction
// (operator>> in the classic locale) gives, without building a stream or touching a locale:
//  - leading blanks (space, \t, \n, \v, \f, \r) are skipped; characters after the number are ignored;
//  - a field without a number ("", "-", ".", "e5", "1e") fails, and so does a value outside the
//    type's range (a double that overflows; an integer beyond 32 bits);
//  - a double that underflows reads as zero; an unsigned integer read with a minus sign wraps
//    ("-1" reads as 4294967295), as the stream does.
// On failure the output is left untouched. They allocate nothing and are safe on any input.
#pragma once

#include <cstdint>
#include <string_view>

namespace nmea {

bool ReadDouble(std::string_view text, double& value);
bool ReadInt(std::string_view text, int32_t& value);
bool ReadUnsigned(std::string_view text, uint32_t& value);

}  // namespace nmea
