// A library generation for GenericVeskSDK tests: every slot records its call in a journal shared by
// both generations and answers the result set for it (0 by default).
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "tests/facade/to_word.h"

namespace facade_test {

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
    entries_.push_back({name, {ToWord(args)...}});
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

}  // namespace facade_test
