// The simulator's control interface, looked up in the very files the module loads (both generations,
// from the bin folder), so that the soak can inject faults and events into the library in use.
#pragma once

#include <cstdint>
#include <string>

namespace soak {

class SimulatorControl {
 public:
  // Loads libQCWWAN2k.so and libQCWWAN.so from the bin folder; exits the process when either is missing.
  SimulatorControl();

  // Each call reaches both files unless it names the second generation alone.
  void SetTimeScale(double scale) const;
  void Reset() const;
  // The last error's text when the scenario does not load.
  std::string Load(const std::string& scenario) const;
  void Fail(const char* entryPoint, uint32_t result, uint32_t times) const;
  void Delay(const char* entryPoint, uint32_t ms) const;
  void Release(const char* entryPoint) const;
  // Acts the event out on the second generation, which drives the soak's modems.
  bool Event(const std::string& line) const;

 private:
  void* second_ = nullptr;
  void* first_ = nullptr;
};

}  // namespace soak
