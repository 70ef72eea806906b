#include "sim_library.h"

#include <algorithm>
#include <iterator>

namespace simtest {

CallbackRecorder& CallbackRecorder::Get() {
  static CallbackRecorder recorder;
  return recorder;
}

void CallbackRecorder::Add(std::string text) {
  std::function<void()> hook;
  {
    std::lock_guard<std::mutex> lock(lock_);
    hook.swap(hook_);
  }
  if (hook) {
    hook();
  }
  std::lock_guard<std::mutex> lock(lock_);
  records_.push_back(std::move(text));
  added_.notify_all();
}

void CallbackRecorder::Clear() {
  std::lock_guard<std::mutex> lock(lock_);
  records_.clear();
  hook_ = nullptr;
}

std::vector<std::string> CallbackRecorder::Texts(const std::string& prefix) const {
  std::lock_guard<std::mutex> lock(lock_);
  std::vector<std::string> texts;
  std::ranges::copy_if(records_, std::back_inserter(texts),
                       [&](const auto& text) { return text.starts_with(prefix); });
  return texts;
}

bool CallbackRecorder::WaitFor(const std::string& prefix, size_t count) const {
  std::unique_lock<std::mutex> lock(lock_);
  const auto matching = [&](const std::string& record) { return record.starts_with(prefix); };
  return added_.wait_for(lock, std::chrono::seconds(10), [&] {
    return static_cast<size_t>(std::ranges::count_if(records_, matching)) >= count;
  });
}

void CallbackRecorder::OnNext(std::function<void()> hook) {
  std::lock_guard<std::mutex> lock(lock_);
  hook_ = std::move(hook);
}

void SimTest::SetUp() {
  for (const SimLibrary* library : {&SimLibrary::Second(), &SimLibrary::First()}) {
    library->Reset();
    CALL(*library, VeskSimSetTimeScale, 0.01);
  }
  recorder_.Clear();
}

void SimTest::TearDown() {
  for (const SimLibrary* library : {&SimLibrary::Second(), &SimLibrary::First()}) {
    CALL(*library, QCWWANDisconnect);
    library->Reset();
  }
}

void SimTest::ConnectWithCallbacks() const {
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  ASSERT_EQ(0u, CALL(lib_, SetRoamingIndicatorCallback, [](ULONG roaming) {
              CallbackRecorder::Get().Add("roaming " + std::to_string(roaming));
            }));
  ASSERT_EQ(0u, CALL(lib_, SetDeviceRemovalCallback, [] { CallbackRecorder::Get().Add("removal"); }));
  ASSERT_EQ(0u, CALL(lib_, SetNMEACallback, [](const char* sentence) {
              CallbackRecorder::Get().Add(std::string("nmea ") + sentence);
            }));
}

}  // namespace simtest
