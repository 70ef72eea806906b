// Helpers shared by the Win32 half of the platform layer.
#pragma once

#include <cstdint>
#include <string>

namespace platform::win32 {

// The system's text for a Win32 error number, without the trailing line break.
std::string ErrorText(uint32_t error);

// Milliseconds of real time for ms of scaled time, rounded up so that a non-zero wait never becomes
// a poll; kInfinite stays INFINITE and nothing else reaches it.
uint32_t RealMs(uint32_t ms);

}  // namespace platform::win32
