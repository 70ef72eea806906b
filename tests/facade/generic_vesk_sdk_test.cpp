// GenericVeskSDK with fake generations supplied through its two factories.
#include "facade/generic_vesk_sdk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/kit/recording_trace_log.h"
#include "tests/facade/to_word.h"

namespace {

// The calls both fake generations get, in order, and the result set for each (0 by default).
struct JournalEntry {
  std::string name;  // "2K:GetPower"
  std::vector<uintptr_t> args;
};

class Journal {
 public:
  using OnCall = std::function<void(const std::string& name)>;

  void SetResult(const std::string& name, ULONG result) {
    std::lock_guard lock(mutex_);
    results_[name] = result;
  }
  // Runs inside every library call, on the caller's thread.
  void SetOnCall(OnCall onCall) {
    std::lock_guard lock(mutex_);
    onCall_ = std::move(onCall);
  }
  std::vector<JournalEntry> Entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
  }
  std::vector<std::string> Names(std::size_t from = 0) const {
    std::vector<std::string> names;
    for (const auto& entry : Entries()) {
      names.push_back(entry.name);
    }
    return {names.begin() + static_cast<std::ptrdiff_t>(from), names.end()};
  }

  template <typename... A>
  ULONG Call(ULONG generation, const char* slot, A... args) {
    const std::string name = (generation == VeskSDKFacade::SDK_1000 ? "1K:" : "2K:") + std::string(slot);
    std::unique_lock lock(mutex_);
    entries_.push_back({name, {facade_test::ToWord(args)...}});
    const OnCall onCall = onCall_;
    const ULONG result = results_.count(name) != 0 ? results_[name] : 0;
    lock.unlock();
    if (onCall) {
      onCall(name);
    }
    return result;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<JournalEntry> entries_;
  std::map<std::string, ULONG> results_;
  OnCall onCall_;
};

// A library generation whose every slot records its call in the shared journal.
class FakeGeneration : public VeskSDKFacade::IVeskSDK {
 public:
  FakeGeneration(ULONG generation, Journal* journal) : generation_(generation), journal_(journal) {}
  ~FakeGeneration() override { journal_->Call(generation_, "~destroyed"); }
  ULONG GetSDKGeneration() override { return generation_; }

#define FACADE_TEST_FAKE(name, F, count)                                 \
  ULONG name(VESK_PARAMS(F, count)) override {                           \
    return journal_->Call(generation_, #name VESK_TRAILING_ARGS(count)); \
  }
#define FACADE_TEST_FAKE_COMMON(name, count) FACADE_TEST_FAKE(name, name##_t, count)
#define FACADE_TEST_FAKE_OWN(name, generation, exported, count) FACADE_TEST_FAKE(name, name##_t, count)
#define FACADE_TEST_FAKE_NEUTRAL(name, wide, count) FACADE_TEST_FAKE(name, wide##_t, count)
  VESK_COMMON_ENTRY_POINTS(FACADE_TEST_FAKE_COMMON)
  VESK_OWN_ENTRY_POINTS(FACADE_TEST_FAKE_OWN)
  VESK_WIDTH_NEUTRAL_OPERATIONS(FACADE_TEST_FAKE_NEUTRAL)

 private:
  ULONG generation_;
  Journal* journal_;
};

using VeskSDKFacade::GenericVeskSDK;
using VeskSDKFacade::SDK_1000;
using VeskSDKFacade::SDK_2000;
using Lines = std::vector<std::pair<std::string, int32_t>>;

constexpr auto kGenerousTimeout = std::chrono::milliseconds(10000);
// How long a call that must stay out of the library is given to get in anyway.
constexpr auto kExclusionWindow = std::chrono::milliseconds(300);

class TestGenericSDK : public GenericVeskSDK {
 public:
  TestGenericSDK(IHostTraceLog* log, Journal* journal) : GenericVeskSDK(log), journal_(journal) {}
  std::atomic<int> created1K{0}, created2K{0};

 protected:
  std::unique_ptr<VeskSDKFacade::IVeskSDK> CreateVesk2KSDK() override {
    ++created2K;
    return std::make_unique<FakeGeneration>(SDK_2000, journal_);
  }
  std::unique_ptr<VeskSDKFacade::IVeskSDK> CreateVesk1KSDK() override {
    ++created1K;
    return std::make_unique<FakeGeneration>(SDK_1000, journal_);
  }

 private:
  Journal* journal_;
};

class GenericVeskSDKTest : public testing::Test {
 protected:
  void ConnectTo(ULONG generation) {
    journal_.SetResult("2K:QCWWANConnect", generation == SDK_1000 ? GENERAL_ERROR : 0);
    ASSERT_EQ(sdk_->Connect(nullptr, nullptr), 0u);
    ASSERT_EQ(sdk_->ConnectedGeneration(), generation);
    log_.Clear();
  }
  Lines TraceLines() const {
    Lines lines;
    for (const auto& line : log_.lines()) {
      EXPECT_EQ(line.category, 20);
      lines.emplace_back(line.text, line.level);
    }
    return lines;
  }

  hostkit::RecordingTraceLog log_;
  Journal journal_;
  std::unique_ptr<TestGenericSDK> sdk_ = std::make_unique<TestGenericSDK>(&log_, &journal_);
};

struct ConnectRow {
  const char* label;
  const char *id, *key;
  ULONG result2K, result1K, expectedResult, expectedGeneration;
  std::vector<std::string> expectedCalls;
  friend void PrintTo(const ConnectRow& row, std::ostream* os) { *os << row.label; }
};

class ConnectTest : public GenericVeskSDKTest, public testing::WithParamInterface<ConnectRow> {};

TEST_P(ConnectTest, TriesTheGenerationsInOrderAndReports) {
  const ConnectRow& row = GetParam();
  journal_.SetResult(row.key != nullptr ? "2K:QCWWAN2kConnect" : "2K:QCWWANConnect", row.result2K);
  journal_.SetResult("1K:QCWWANConnect", row.result1K);

  EXPECT_EQ(sdk_->Connect(row.id, row.key), row.expectedResult);

  EXPECT_EQ(sdk_->ConnectedGeneration(), row.expectedGeneration);
  EXPECT_EQ(journal_.Names(), row.expectedCalls);
  if (row.key != nullptr) {
    EXPECT_EQ(journal_.Entries()[0].args,
              (std::vector{reinterpret_cast<uintptr_t>(row.id), reinterpret_cast<uintptr_t>(row.key)}));
  }
  // The first generation's library object is made only when that generation is tried.
  EXPECT_EQ(sdk_->created1K.load(), row.expectedCalls.size() == 2 ? 1 : 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ConnectTest, testing::Values(
    ConnectRow{"SecondGenerationFirst", nullptr, nullptr, 0, 0, 0, SDK_2000, {"2K:QCWWANConnect"}},
    ConnectRow{"FirstGenerationWhenTheSecondFails", nullptr, nullptr, 1, 0, 0, SDK_1000,
               {"2K:QCWWANConnect", "1K:QCWWANConnect"}},
    ConnectRow{"NeitherGeneration", nullptr, nullptr, 6, 8, 8, 0, {"2K:QCWWANConnect", "1K:QCWWANConnect"}},
    ConnectRow{"NamedDeviceNeverTriesTheFirstGeneration", "device-id", "device-key", 15, 0, 15, 0,
               {"2K:QCWWAN2kConnect"}},
    ConnectRow{"IdWithoutKey", "device-id", nullptr, 0, 0, 4, 0, {}}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

TEST_F(GenericVeskSDKTest, ConnectWhileConnectedCallsTheConnectedGenerationAgainSilently) {
  ConnectTo(SDK_1000);
  const std::size_t before = journal_.Names().size();
  journal_.SetResult("1K:QCWWANConnect", RETRY_LATER);

  EXPECT_EQ(sdk_->Connect(nullptr, nullptr), RETRY_LATER);
  EXPECT_EQ(sdk_->Connect("id", "key"), 0u);
  EXPECT_EQ(journal_.Names(before), (std::vector<std::string>{"1K:QCWWANConnect", "1K:QCWWAN2kConnect"}));
  EXPECT_EQ(sdk_->ConnectedGeneration(), SDK_1000);
  EXPECT_TRUE(log_.lines().empty());
}

TEST_F(GenericVeskSDKTest, DisconnectEndsTheConnectionEvenWhenTheLibraryFails) {
  EXPECT_EQ(sdk_->QCWWANDisconnect(), NO_CONNECTION_TO_WWAN_DEVICE);
  EXPECT_TRUE(journal_.Entries().empty());

  // Whatever the library answers, it may still hold the connection: every callback the module
  // registers is set to null, so it cannot call back into a module that has let go of it.
  for (const ULONG failure : {NO_WWAN_DEVICE, NO_CONNECTION_TO_WWAN_DEVICE}) {
    ConnectTo(SDK_2000);
    const std::size_t before = journal_.Entries().size();
    journal_.SetResult("2K:QCWWANDisconnect", failure);
    EXPECT_EQ(sdk_->QCWWANDisconnect(), failure);
    EXPECT_EQ(sdk_->GetPower(nullptr), NO_CONNECTION_TO_WWAN_DEVICE);
    const auto entries = journal_.Entries();
    const auto unregistered = std::count_if(
        entries.begin() + static_cast<std::ptrdiff_t>(before), entries.end(), [](const auto& entry) {
          return entry.name.rfind("2K:Set", 0) == 0 && entry.name.find("Callback") != std::string::npos &&
                 entry.args.at(0) == 0;
        });
    EXPECT_EQ(unregistered, 11) << failure;
    // A modem that went away (8) is the expected case, not worth a warning.
    const Lines warned{{"    QCWWANDisconnect failed (6); callbacks unregistered", 3}};
    EXPECT_EQ(TraceLines(), failure == NO_CONNECTION_TO_WWAN_DEVICE ? Lines{} : warned);
  }

  ConnectTo(SDK_2000);  // with the library object kept from the first connection
  EXPECT_EQ(sdk_->created2K.load(), 1);
}

TEST_F(GenericVeskSDKTest, DestroyingWhileConnectedWarnsDisconnectsAndEndsBothGenerations) {
  ConnectTo(SDK_1000);  // both generations tried
  const std::size_t before = journal_.Names().size();
  sdk_.reset();
  EXPECT_EQ(journal_.Names(before),
            (std::vector<std::string>{"1K:QCWWANDisconnect", "2K:~destroyed", "1K:~destroyed"}));
  EXPECT_EQ(TraceLines(), (Lines{{"    Deleted GenericVeskSDK without calling QCWWANDisconnect()", 3}}));
}

// The forwarders are generated from one table; one of them, and the hand-written SetLock, stand for all.
TEST_F(GenericVeskSDKTest, OperationsReachOnlyTheConnectedGenerationWhileDevicesCanAlwaysBeListed) {
  const char* pin = "1234";
  ULONG mode = 0;
  EXPECT_EQ(sdk_->GetPower(&mode), NO_CONNECTION_TO_WWAN_DEVICE);
  EXPECT_EQ(sdk_->SetLock(1, pin), NO_CONNECTION_TO_WWAN_DEVICE);
  journal_.SetResult("2K:QCWWAN2kEnumerateDevices", 0x21);
  BYTE count = 5;
  VendorDeviceRecord devices[5];
  EXPECT_EQ(sdk_->QCWWAN2kEnumerateDevices(&count, reinterpret_cast<BYTE*>(devices)), 0x21u);
  EXPECT_EQ(journal_.Names(), std::vector<std::string>{"2K:QCWWAN2kEnumerateDevices"});
  EXPECT_EQ(TraceLines(), (Lines{{"    Calling unsupported function SetLock()", 3}}));

  ConnectTo(SDK_1000);
  journal_.SetResult("1K:GetPower", 0x33);
  EXPECT_EQ(sdk_->GetPower(&mode), 0x33u);
  EXPECT_EQ(sdk_->SetLock(1, pin), 0u);
  const auto entries = journal_.Entries();
  EXPECT_EQ(entries[entries.size() - 2].name, "1K:GetPower");
  EXPECT_EQ(entries[entries.size() - 2].args, std::vector{reinterpret_cast<uintptr_t>(&mode)});
  EXPECT_EQ(entries.back().name, "1K:SetLock");
  EXPECT_EQ(entries.back().args, (std::vector<uintptr_t>{1, reinterpret_cast<uintptr_t>(pin)}));
  EXPECT_EQ(TraceLines(), (Lines{{"    Calling unsupported function SetLock()", 3}}));
}

// Holds the first call inside the library until released, or until the second call gets in too.
class Gate {
 public:
  void OnCall(const std::string& name, const std::string& first, const std::string& second) {
    std::unique_lock lock(mutex_);
    if (name == first) {
      firstInside_ = true;
      changed_.notify_all();
      changed_.wait_for(lock, kGenerousTimeout, [this] { return released_ || secondEntered_; });
      firstInside_ = false;
    } else if (name == second) {
      secondEntered_ = true;
      secondSawFirstInside_ = firstInside_;
      changed_.notify_all();
    }
  }
  bool WaitFor(std::chrono::milliseconds timeout, bool Gate::*flag) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return this->*flag; });
  }
  void Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  bool firstInside_ = false, secondEntered_ = false, secondSawFirstInside_ = false, released_ = false;
};

struct OverlapRow {
  const char* label;
  const char* first;  // the library call the first operation is held in
  std::function<void(GenericVeskSDK&)> callFirst;
  const char* second;
  std::function<void(GenericVeskSDK&)> callSecond;
  bool overlaps;
  bool connectedFirst = true;
  friend void PrintTo(const OverlapRow& row, std::ostream* os) { *os << row.label; }
};

class OverlapTest : public GenericVeskSDKTest, public testing::WithParamInterface<OverlapRow> {};

TEST_P(OverlapTest, GroupLocksDecideWhichCallsMayBeInTheLibraryTogether) {
  const OverlapRow& row = GetParam();
  if (row.connectedFirst) {
    ConnectTo(SDK_2000);
  }
  Gate gate;
  journal_.SetOnCall([&](const std::string& name) {
    gate.OnCall(name, std::string("2K:") + row.first, std::string("2K:") + row.second);
  });

  std::thread first([&] { row.callFirst(*sdk_); });
  EXPECT_TRUE(gate.WaitFor(kGenerousTimeout, &Gate::firstInside_));
  std::thread second([&] { row.callSecond(*sdk_); });
  const bool entered =
      gate.WaitFor(row.overlaps ? kGenerousTimeout : kExclusionWindow, &Gate::secondEntered_);
  gate.Release();
  first.join();
  second.join();
  journal_.SetOnCall(nullptr);

  EXPECT_EQ(entered, row.overlaps);
  EXPECT_EQ(gate.secondSawFirstInside_, row.overlaps);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, OverlapTest, testing::Values(
    OverlapRow{"SameGroup", "GetSessionState", [](GenericVeskSDK& s) { s.GetSessionState(nullptr); },
               "StopDataSession", [](GenericVeskSDK& s) { s.StopDataSession(1); }, false},
    OverlapRow{"DifferentGroups", "GetSessionState", [](GenericVeskSDK& s) { s.GetSessionState(nullptr); },
               "GetSignalStrength", [](GenericVeskSDK& s) { s.GetSignalStrength(nullptr, nullptr); }, true},
    OverlapRow{"DisconnectExcludesEveryGroup", "QCWWANDisconnect", [](GenericVeskSDK& s) { s.QCWWANDisconnect(); },
               "GetPDSState", [](GenericVeskSDK& s) { EXPECT_EQ(s.GetPDSState(nullptr, nullptr), 8u); }, false},
    OverlapRow{"ConnectExcludesEveryGroup", "QCWWANConnect", [](GenericVeskSDK& s) { s.Connect(nullptr, nullptr); },
               "SetPower", [](GenericVeskSDK& s) { s.SetPower(0); }, false},
    // A host call that meets the first connect waits for it, and then gets in.
    OverlapRow{"FirstConnectHoldsBackAHostCall", "QCWWANConnect", [](GenericVeskSDK& s) { EXPECT_EQ(s.Connect(nullptr, nullptr), 0u); },
               "GetSessionState", [](GenericVeskSDK& s) { EXPECT_EQ(s.GetSessionState(nullptr), 0u); }, false, false},
    OverlapRow{"ListingDevicesTakesNoGroupLock", "QCWWANDisconnect", [](GenericVeskSDK& s) { s.QCWWANDisconnect(); },
               "QCWWAN2kEnumerateDevices", [](GenericVeskSDK& s) { s.QCWWAN2kEnumerateDevices(nullptr, nullptr); }, true}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

// A vendor callback that calls back through the facade while the library's disconnect waits for that
// callback to return: the call must give up with NO_CONNECTION_TO_WWAN_DEVICE, both when it starts
// during the disconnect and when it was already queued for its group lock behind another operation.
class DisconnectingTest : public GenericVeskSDKTest, public testing::WithParamInterface<bool> {};

TEST_P(DisconnectingTest, CallbackCallingBackGivesUpInsteadOfDeadlocking) {
  const bool queued = GetParam();
  ConnectTo(SDK_2000);
  std::promise<void> holderInside, releaseHolder, callbackWaiting;
  std::shared_future<void> release = releaseHolder.get_future().share();
  std::future<ULONG> callback;
  const auto callBack = [&] {
    GenericVeskSDK::LibraryCallbackScope inCallback;
    if (queued) {
      callbackWaiting.set_value();
    }
    return sdk_->GetSessionState(nullptr);
  };
  bool callbackReturnedInTime = false;
  journal_.SetOnCall([&](const std::string& name) {
    if (name == "2K:GetAutoconnect") {  // the operation that holds group 2 in the library
      holderInside.set_value();
      release.wait_for(kGenerousTimeout);
    } else if (name == "2K:QCWWANDisconnect") {
      if (!queued) {
        // The library waits for its running callback, which calls back into the facade.
        callback = std::async(std::launch::async, callBack);
      }
      callbackReturnedInTime = callback.wait_for(kGenerousTimeout) == std::future_status::ready;
    }
  });

  std::thread holder;
  if (queued) {
    holder = std::thread([&] { sdk_->GetAutoconnect(nullptr); });
    holderInside.get_future().wait();
    callback = std::async(std::launch::async, callBack);
    callbackWaiting.get_future().wait();
  }
  std::thread disconnector([&] { sdk_->QCWWANDisconnect(); });
  if (queued) {
    // The disconnect cannot enter the library before the holder leaves group 2, but the queued
    // callback must not wait for that.
    EXPECT_EQ(callback.wait_for(kGenerousTimeout), std::future_status::ready);
    releaseHolder.set_value();
    holder.join();
  }
  disconnector.join();
  journal_.SetOnCall(nullptr);

  ASSERT_TRUE(callback.valid());
  EXPECT_EQ(callback.get(), NO_CONNECTION_TO_WWAN_DEVICE);
  EXPECT_TRUE(callbackReturnedInTime);
  EXPECT_EQ(std::ranges::count(journal_.Names(), "2K:GetSessionState"), 0);
}

INSTANTIATE_TEST_SUITE_P(StartedOrQueued, DisconnectingTest, testing::Bool());

}  // namespace
