#include "e2e_host.h"

#include <cctype>
#include <string_view>
#include <utility>

#include "netutil/device_info_helper.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "vesk/notifications.h"

namespace e2e {
namespace {

// A secret counts as shown when it stands alone: its digits inside a longer number (a handle, a byte
// total) are not the secret.
bool ShowsSecret(const hostkit::RecordingTraceLog& log, std::string_view secret) {
  const auto isWordChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
  for (const hostkit::TraceLine& line : log.lines()) {
    const std::string& text = line.text;
    for (size_t at = text.find(secret); at != std::string::npos; at = text.find(secret, at + 1)) {
      const size_t end = at + secret.size();
      if ((at == 0 || !isWordChar(text[at - 1])) && (end == text.size() || !isWordChar(text[end]))) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

TwoModems::TwoModems() {
  modems[0] = platform::AddCompositeModem(*tree, {.serial = u"1111"});
  modems[1] = platform::AddCompositeModem(*tree, {.serial = u"2222"});
  platform::SetSystemDeviceTree(tree);
}

TwoModems::~TwoModems() {
  platform::SetSystemDeviceTree(nullptr);
}

std::string TwoModems::InterfaceName(int modem) const {
  return platform::Narrow(modems[modem - 1].interfaceName);
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
  second_.Load("");
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
  for (const char* secret : {kPassword, kPin, kWrongPin}) {
    EXPECT_FALSE(ShowsSecret(traceLog_, secret)) << "a trace line shows " << secret;
  }
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

void EndToEndTest::ExpectApart(const std::vector<Clock::time_point>& times, uint32_t ms) {
  for (std::size_t i = 1; i < times.size(); ++i) {
    EXPECT_GE(times[i] - times[i - 1], AtLeast(ms)) << "after " << i;
  }
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

std::vector<uintptr_t> EndToEndTest::Params(int32_t code) const {
  std::vector<uintptr_t> params;
  std::ranges::transform(Notifications(code), std::back_inserter(params),
                         &hostkit::RecordedNotification::param1);
  return params;
}

hostkit::RecordedNotification EndToEndTest::Next(int32_t code, std::size_t from, std::size_t* index) {
  const std::size_t at = WaitFor(code, from);
  if (index != nullptr) {
    *index = at;
  }
  const auto all = sink_.Notifications();
  return at < all.size() ? all[at] : hostkit::RecordedNotification{};
}

std::vector<int32_t> EndToEndTest::CodesFrom(std::size_t from, std::vector<int32_t> kinds) const {
  std::vector<int32_t> codes = sink_.Codes();
  codes.erase(codes.begin(), codes.begin() + static_cast<std::ptrdiff_t>(std::min(from, codes.size())));
  std::erase_if(codes,
                [&](int32_t code) { return std::find(kinds.begin(), kinds.end(), code) == kinds.end(); });
  return codes;
}

std::u16string EndToEndTest::Cached(CachedText CachedCellularInfo::*field) {
  return sdk_->WithInfo(
      [field](CachedCellularInfo& info) { return std::u16string(CachedTextView(info.*field)); });
}

void EndToEndTest::AttachAndWait(const std::string& scenario) {
  if (!scenario.empty()) {
    second_.Load(scenario);
  }
  // Counted from here, so that an attach after a detach waits for its own lines.
  const std::size_t from = sink_.Count();
  const std::size_t registered = LineTimes("### SET THE DEVICE REMOVAL CALLBACK").size();
  const std::size_t gathered = LineTimes("<== CVeskSDK::GetVeskDeviceInfo").size();
  ASSERT_TRUE(sdk_->AttachToCellularDevice());
  WaitFor(WWAN_NOTIFICATION_ATTACHED_TO_DEVICE, from);
  ASSERT_TRUE(WaitForLines("### SET THE DEVICE REMOVAL CALLBACK", registered + 1));
  // The information pass goes on reading and posting after the registration; let it end first.
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::GetVeskDeviceInfo", gathered + 1));
  Settle();
}

void EndToEndTest::AttachUntilEvaluated(const std::string& scenario) {
  if (!scenario.empty()) {
    second_.Load(scenario);
  }
  const std::size_t evaluated = LineTimes("<== CVeskSDK::InitializeVesk").size();
  ASSERT_TRUE(sdk_->AttachToCellularDevice());
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::InitializeVesk", evaluated + 1));
  Settle();
}

void EndToEndTest::Settle() {
  const std::size_t from = sink_.Count();
  sdk_->PostNotification(WWAN_NOTIFICATION_PROBE_INFO, 0, 0);
  WaitFor(WWAN_NOTIFICATION_PROBE_INFO, from);
}

}  // namespace e2e
