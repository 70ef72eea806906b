// Test access to the two simulator library files, loaded from the build's bin folder by their
// platform file names, and a recorder for the callbacks they make.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "facade/vendor_api.h"
#include "platform/dynamic_library.h"
#include "sim/control.h"
#include "tests/sim/sim_file.h"
#include "tests/sms/deliver_pdu.h"

namespace simtest {

// Calls an entry point or control function of a library by its name: CALL(lib, GetModelID, 100, buf).
#define CALL(lib, name, ...) ((lib).template Fn<decltype(&name)>(#name)(__VA_ARGS__))

class SimLibrary {
 public:
  // QCWWAN2k.dll and QCWWAN.dll by their platform file names; loaded once and kept for the whole run.
  static const SimLibrary& Second() { return SimFile<SimLibrary>(2); }
  static const SimLibrary& First() { return SimFile<SimLibrary>(1); }
  explicit SimLibrary(const platform::DynamicLibrary& library) : library_(library) {}

  template <typename F>
  F Fn(const char* name) const {
    auto fn = reinterpret_cast<F>(library_.Symbol(name));
    if (fn == nullptr) {
      ADD_FAILURE() << "missing " << name;
    }
    return fn;
  }

  int LoadScenario(const std::string& text) const { return CALL(*this, VeskSimLoadScenario, text.c_str()); }
  void Reset() const { CALL(*this, VeskSimReset); }
  std::string LastError() const {
    char text[256] = {};
    CALL(*this, VeskSimLastError, text, sizeof text);
    return text;
  }

 private:
  const platform::DynamicLibrary& library_;
};

// What the library called back, in order: "roaming 2", "nmea $GPRMC,...", "removal", ...
class CallbackRecorder {
 public:
  static CallbackRecorder& Get();

  void Add(std::string text);
  void Clear();
  // Waits until count records start with prefix; false after the time-out.
  bool WaitFor(const std::string& prefix, size_t count = 1) const;
  size_t Count(const std::string& prefix) const { return Texts(prefix).size(); }
  // The records that start with prefix, in order.
  std::vector<std::string> Texts(const std::string& prefix) const;
  // Runs inside the next callback, on the library's thread (cleared after one use).
  void OnNext(std::function<void()> hook);

 private:
  mutable std::mutex lock_;
  mutable std::condition_variable added_;
  std::vector<std::string> records_;
  std::function<void()> hook_;
};

using sms_test::Hex;  // bytes as upper-case hex, as the tests write PDUs

// A test on the second-generation library: reset, scaled time, fresh recorder; disconnected after.
class SimTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // QCWWANConnect and the callbacks these tests watch registered.
  void ConnectWithCallbacks() const;

  const SimLibrary& lib_ = SimLibrary::Second();
  CallbackRecorder& recorder_ = CallbackRecorder::Get();
};

}  // namespace simtest
