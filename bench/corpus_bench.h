// What the corpus benchmarks (NMEA, SMS) share: the corpus path from their own flag, and a run that
// keeps each benchmark's nanoseconds per item for the closing ratio.
#pragma once

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace bench {

// Takes PREFIXPATH (prefix such as "--nmea_corpus=") out of argv; fallback when it is not given.
inline std::string TakePathFlag(int& argc, char** argv, const char* prefix, std::string fallback) {
  const std::size_t length = std::strlen(prefix);
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], prefix, length) == 0) {
      fallback = argv[i] + length;
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  return fallback;
}

// Reports as usual and keeps, per benchmark, the named counter (seconds per item) in nanoseconds;
// with repetitions the median stands for the benchmark.
class PerItemReporter : public benchmark::ConsoleReporter {
 public:
  explicit PerItemReporter(const char* counter) : counter_(counter) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const auto it = run.counters.find(counter_);
      if (it != run.counters.end() && (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")) {
        nsPerItem_[run.run_name.function_name] = it->second.value * 1e9;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // The ratio of one benchmark to another, or 0 when either did not run.
  bool Ratio(const std::string& benchmark, const std::string& baseline, double& ns, double& baselineNs) const {
    const auto a = nsPerItem_.find(benchmark);
    const auto b = nsPerItem_.find(baseline);
    if (a == nsPerItem_.end() || b == nsPerItem_.end() || b->second <= 0) {
      return false;
    }
    ns = a->second;
    baselineNs = b->second;
    return true;
  }

 private:
  std::string counter_;
  std::map<std::string, double> nsPerItem_;
};

// Runs the registered benchmarks through reporter; false on an argument it does not know.
inline bool RunRegistered(int& argc, char** argv, PerItemReporter& reporter) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return false;
  }
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return true;
}

}  // namespace bench
