#include "e2e_host.h"

#include <dlfcn.h>

#include <utility>

#include "netutil/device_info_helper.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "vesk/notifications.h"

namespace e2e {

Simulator::Simulator(const char* fileName) {
  const std::string path = std::string(VESK_SIM_BIN_DIR) + "/" + fileName;
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    ADD_FAILURE() << "cannot load " << path << ": " << dlerror();
  }
}

void* Simulator::dlsym(void* handle, const char* name) {
  return ::dlsym(handle, name);
}

const Simulator& Simulator::Second() {
  static const Simulator simulator("libQCWWAN2k.so");
  return simulator;
}

const Simulator& Simulator::First() {
  static const Simulator simulator("libQCWWAN.so");
  return simulator;
}

TwoModems::TwoModems() {
  platform::CompositeModemOptions options;
  options.serial = u"1111";
  modems[0] = platform::AddCompositeModem(*tree, options);
  options.serial = u"2222";
  modems[1] = platform::AddCompositeModem(*tree, options);
  platform::SetSystemDeviceTree(tree);
}

TwoModems::~TwoModems() {
  platform::SetSystemDeviceTree(nullptr);
}

std::string TwoModems::InterfaceName(int modem) const {
  return platform::Narrow(modems[modem - 1].interfaceName);
}

std::string TwoModems::Scenario() const {
  return "[modem]\ndevice_id = " + InterfaceName(1) + "\n[modem]\ndevice_id = " + InterfaceName(2) + "\n";
}

DeviceInfoTree TwoModems::HostTree(int modem) const {
  NetUtilities::DeviceInfoHelper helper(nullptr, kTraceCategory, tree);
  DeviceInfoTree hostTree;
  EXPECT_TRUE(helper.GetDeviceInfo(modems[modem - 1].networkAdapterId, hostTree));
  return hostTree;
}

void EndToEndTest::SetUp() {
  SetTimeScale(kTimeScale);
  first_.Call<void>("VeskSimReset");
  // A SIM without a PIN lock, so that the attach goes on to register the vendor callbacks.
  second_.Load("[sim]\npin_status = 3\n");
  traceLog_.SetLineObserver([this](const hostkit::TraceLine& line) {
    std::function<void()> trigger;
    {
      std::lock_guard<std::mutex> lock(linesLock_);
      lines_.emplace_back(Clock::now(), line.text);
      if (trigger_ && line.text.find(triggerText_) != std::string::npos) {
        trigger.swap(trigger_);
      }
    }
    lineAdded_.notify_all();
    if (trigger) {
      trigger();
    }
  });
  sdk_ = new CVeskSDK(&sink_, &traceLog_, &powerSource_);
  ASSERT_TRUE(sdk_->Open());
}

void EndToEndTest::TearDown() {
  Release();
  // Nothing of this test may go on running in the simulator into the next one.
  first_.Call<void>("VeskSimReset");
  second_.Call<void>("VeskSimReset");
  traceLog_.SetLineObserver(nullptr);
  SetTimeScale(1.0);
}

void EndToEndTest::Release() {
  if (sdk_ != nullptr) {
    sdk_->Release();
    sdk_ = nullptr;
  }
}

void EndToEndTest::SetTimeScale(double scale) {
  platform::SetTimeScale(scale);
  Simulator::First().Call<void>("VeskSimSetTimeScale", scale);
  Simulator::Second().Call<void>("VeskSimSetTimeScale", scale);
}

Clock::duration EndToEndTest::AtLeast(uint32_t ms) {
  return platform::ScaledDuration(ms) * 95 / 100;
}

void EndToEndTest::OnLine(std::string text, std::function<void()> action) {
  std::lock_guard<std::mutex> lock(linesLock_);
  triggerText_ = std::move(text);
  trigger_ = std::move(action);
}

std::vector<Clock::time_point> EndToEndTest::LineTimes(std::string_view text) const {
  std::lock_guard<std::mutex> lock(linesLock_);
  std::vector<Clock::time_point> times;
  for (const auto& [time, line] : lines_) {
    if (line.find(text) != std::string::npos) {
      times.push_back(time);
    }
  }
  return times;
}

bool EndToEndTest::WaitForLines(std::string_view text, std::size_t count) const {
  std::unique_lock<std::mutex> lock(linesLock_);
  return lineAdded_.wait_for(lock, kWait, [&] {
    return static_cast<std::size_t>(std::count_if(lines_.begin(), lines_.end(), [&](const auto& line) {
             return line.second.find(text) != std::string::npos;
           })) >= count;
  });
}

std::size_t EndToEndTest::WaitFor(int32_t code, std::size_t from) {
  const auto index = sink_.WaitFor(code, kWait, from);
  EXPECT_TRUE(index.has_value()) << "no " << NotificationName(code);
  return index.value_or(sink_.Count());
}

std::vector<hostkit::RecordedNotification> EndToEndTest::Notifications(int32_t code) const {
  std::vector<hostkit::RecordedNotification> found = sink_.Notifications();
  std::erase_if(found, [code](const auto& notification) { return notification.code != code; });
  return found;
}

void EndToEndTest::AttachAndWait() {
  ASSERT_TRUE(sdk_->AttachToCellularDevice());
  WaitFor(WWAN_NOTIFICATION_ATTACHED_TO_DEVICE);
  ASSERT_TRUE(WaitForLines("### SET THE DEVICE REMOVAL CALLBACK"));
  // The information pass goes on reading and posting after the registration; let it end first.
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::GetVeskDeviceInfo"));
  Settle();
}

void EndToEndTest::AttachUntilEvaluated() {
  ASSERT_TRUE(sdk_->AttachToCellularDevice());
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::InitializeVesk"));
  Settle();
}

void EndToEndTest::Settle() {
  const std::size_t from = sink_.Count();
  sdk_->PostNotification(WWAN_NOTIFICATION_PROBE_INFO, 0, 0);
  WaitFor(WWAN_NOTIFICATION_PROBE_INFO, from);
}

}  // namespace e2e
