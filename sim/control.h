// The simulator's control interface, exported from both library files beside the vendor entry
// points. Tests and the reference host look these up by name; docs/simulator.md describes them.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define VESK_SIM_API  // the library's .def file lists its exports
#else
#define VESK_SIM_API __attribute__((visibility("default")))
#endif

extern "C" {

// Replaces the whole state with the scenario; 0 on success, else the line number of the first error.
VESK_SIM_API int VeskSimLoadScenario(const char* text);
// Back to the built-in default modem: counters cleared, no faults or delays (the time scale stays).
VESK_SIM_API void VeskSimReset(void);
VESK_SIM_API void VeskSimSetTimeScale(double scale);
// The next times calls of the entry point return result without effect (0 times clears).
VESK_SIM_API void VeskSimFail(const char* entryPoint, uint32_t result, uint32_t times);
// Every call of the entry point takes ms longer (0 clears); UINT32_MAX holds callers until released.
VESK_SIM_API void VeskSimDelay(const char* entryPoint, uint32_t ms);
// Ends a blocking delay: held callers return, later calls are not held.
VESK_SIM_API void VeskSimRelease(const char* entryPoint);
VESK_SIM_API uint32_t VeskSimCallCount(const char* entryPoint);
// Acts out one event line ("signal = -90 5"); 0 on success, 1 when the line does not parse, 2 when a
// replay is in force (the line is not played: the recording's callbacks are the only ones).
VESK_SIM_API int VeskSimEvent(const char* line);

// For tests: waits, in real time, until the entry point was called count times; 0 when it was.
VESK_SIM_API int VeskSimWaitForCalls(const char* entryPoint, uint32_t count, uint32_t timeoutMs);
// The tag of a stored message of the connected modem (else the file's first): 0 read, 1 not read,
// 2 sent, 3 not sent; -1 when there is no such message.
VESK_SIM_API int VeskSimSmsTag(uint32_t storage, uint32_t index);
// Where the simulator's own trace lines go (a replay's divergences, at level 2); null stops them.
typedef void (*VeskSimTraceSink)(uint32_t level, const char* text);
VESK_SIM_API void VeskSimSetTraceSink(VeskSimTraceSink sink);
// The divergences of the replay in force so far; the last one's report in buffer, cut to size.
VESK_SIM_API uint32_t VeskSimReplayDivergences(char* buffer, uint32_t size);
// Why the last scenario load or event failed ("line 3: unknown key 'x' in [modem]"), cut to size.
VESK_SIM_API void VeskSimLastError(char* buffer, uint32_t size);

}  // extern "C"
