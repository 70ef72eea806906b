// The command word of the diag command.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vesk_host {

// CODE [PARAM]: the code in the low 16 bits, PARAM in the high 16; 6 MCC MNC: the MCC in bits 24 to 31
// and the MNC in bits 16 to 23. Nothing for arguments out of range or of another form.
std::optional<uint32_t> DiagnosticCommandWord(const std::vector<std::string>& args);

}  // namespace vesk_host
