#include "host/recording_trace_log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace hostkit {
namespace {

using namespace std::chrono_literals;

struct ScopeCase {
  const char* name;
  std::vector<std::pair<int32_t, const char*>> lines;  // level, text
  bool balanced;
};

class ScopeBalanceTest : public testing::TestWithParam<ScopeCase> {};

TEST_P(ScopeBalanceTest, PairsEntriesWithExits) {
  RecordingTraceLog log;
  for (const auto& [level, text] : GetParam().lines) {
    log.TraceA(20, level, "%s", text);
  }
  EXPECT_EQ(log.AllScopesBalanced(), GetParam().balanced);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ScopeBalanceTest,
    testing::Values(ScopeCase{"Pair", {{5, "==> A::B"}, {5, "<== A::B"}}, true},
                    ScopeCase{"Nested", {{5, "==> A"}, {5, "==> B"}, {5, "<== B"}, {5, "<== A"}}, true},
                    ScopeCase{"Repeated", {{5, "==> A"}, {5, "==> A"}, {5, "<== A"}, {5, "<== A"}}, true},
                    ScopeCase{"IndentedMessagesIgnored", {{4, "    ==> not a scope"}}, true},
                    ScopeCase{"MissingExit", {{5, "==> A"}, {5, "==> B"}, {5, "<== B"}}, false},
                    ScopeCase{"ExitBeforeEntry", {{5, "<== A"}, {5, "==> A"}}, false},
                    ScopeCase{"ExitAtOtherLevel", {{5, "==> A"}, {6, "<== A"}}, false},
                    ScopeCase{"ExitOfOtherName", {{5, "==> A"}, {5, "<== AB"}}, false}),
    [](const testing::TestParamInfo<ScopeCase>& info) { return info.param.name; });

TEST(RecordingTraceLogTest, ConcurrentTracersLoseNoLineAndObserverMayReadTheLog) {
  std::atomic<int> observed{0};
  RecordingTraceLog log;
  log.SetLineObserver([&](const TraceLine&) {
    (void)log.Count("never");  // must not deadlock
    ++observed;
  });
  constexpr int kThreads = 4;
  constexpr int kScopes = 100;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&log, t] {
      for (int i = 0; i < kScopes; ++i) {
        log.TraceA(20, 5, "==> %s%d", "Worker", t);
        log.TraceW(20, 4, u"    step %d", i);
        log.TraceA(20, 5, "<== %s%d", "Worker", t);
      }
    });
  }
  EXPECT_TRUE(log.WaitForLine("<== Worker0", 10s));
  for (std::thread& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(log.lines().size(), static_cast<size_t>(kThreads * kScopes * 3));
  EXPECT_EQ(observed.load(), kThreads * kScopes * 3);
  EXPECT_EQ(log.Count("    step", 4), static_cast<size_t>(kThreads * kScopes));
  EXPECT_EQ(log.Count("step", 5), 0u);
  EXPECT_TRUE(log.AllScopesBalanced());
}

}  // namespace
}  // namespace hostkit
