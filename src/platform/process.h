// Facts about the running program that the reference host needs.
#pragma once

#include <chrono>
#include <string>

namespace platform {

// The full path of the running program's file, or empty text when it cannot be told.
std::string ExecutablePath();

// Whether standard input is an interactive terminal (a console on Windows).
bool StandardInputIsTerminal();

// The processor time the whole process has used so far (std::clock is wall time on Windows).
std::chrono::nanoseconds ProcessCpuTime();

// True while the process is ending and its libraries' static objects are being destroyed after the
// system has already ended every other thread (Windows); such objects must not wait for or tear down
// what those threads held. Always false where threads outlive static destruction (POSIX).
bool ProcessIsEnding();

}  // namespace platform
