#include "soak/simulator_control.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace soak {
namespace {

void* Open(const char* fileName) {
  const std::string path = std::string(VESK_SIM_BIN_DIR) + "/" + fileName;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::fprintf(stderr, "vesk-soak: cannot load %s: %s\n", path.c_str(), dlerror());
    std::exit(3);
  }
  return handle;
}

template <typename R, typename... A>
R Call(void* handle, const char* name, A... args) {
  auto fn = reinterpret_cast<R (*)(A...)>(dlsym(handle, name));
  if (fn == nullptr) {
    std::fprintf(stderr, "vesk-soak: the simulator has no %s\n", name);
    std::exit(3);
  }
  return fn(args...);
}

}  // namespace

SimulatorControl::SimulatorControl() : second_(Open("libQCWWAN2k.so")), first_(Open("libQCWWAN.so")) {}

void SimulatorControl::SetTimeScale(double scale) const {
  Call<void>(second_, "VeskSimSetTimeScale", scale);
  Call<void>(first_, "VeskSimSetTimeScale", scale);
}

void SimulatorControl::Reset() const {
  Call<void>(second_, "VeskSimReset");
  Call<void>(first_, "VeskSimReset");
}

std::string SimulatorControl::Load(const std::string& scenario) const {
  for (void* file : {second_, first_}) {
    if (Call<int>(file, "VeskSimLoadScenario", scenario.c_str()) != 0) {
      char error[256] = {};
      Call<void>(file, "VeskSimLastError", static_cast<char*>(error), static_cast<uint32_t>(sizeof(error)));
      return error;
    }
  }
  return {};
}

void SimulatorControl::Fail(const char* entryPoint, uint32_t result, uint32_t times) const {
  Call<void>(second_, "VeskSimFail", entryPoint, result, times);
}

void SimulatorControl::Delay(const char* entryPoint, uint32_t ms) const {
  Call<void>(second_, "VeskSimDelay", entryPoint, ms);
}

void SimulatorControl::Release(const char* entryPoint) const {
  Call<void>(second_, "VeskSimRelease", entryPoint);
}

bool SimulatorControl::Event(const std::string& line) const {
  return Call<int>(second_, "VeskSimEvent", line.c_str()) == 0;
}

}  // namespace soak
