// Sentences per second of the NMEA parser over the shared corpus (a mix of RMC, GGA and GNS, each with
// a fix). Usage: nmea_bench [--nmea_corpus=PATH] [benchmark options]
#include <benchmark/benchmark.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "nmea/nmea_parser.h"
#include "vesk/host_interfaces.h"

namespace {

std::vector<std::string> corpus;

// A host that keeps no lines: what remains is the cost of the trace calls themselves.
class DiscardingTraceLog : public IHostTraceLog {
 public:
  virtual ~DiscardingTraceLog() = default;
  void TraceA(int32_t, int32_t, const char*, ...) override {}
  void TraceW(int32_t, int32_t, const char16_t*, ...) override {}
};

void ParseCorpus(benchmark::State& state, IHostTraceLog* traceLog) {
  NMEAParser parser(traceLog);
  int64_t fixes = 0;
  for (auto _ : state) {
    for (const std::string& sentence : corpus) {
      GpsFix fix;
      bool noFix = false;
      bool invalid = false;
      int32_t type = 0;
      fixes += parser.ParseSentence(sentence, fix, noFix, invalid, type) ? 1 : 0;
      benchmark::DoNotOptimize(fix);
    }
  }
  const auto sentences = static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(corpus.size());
  state.SetItemsProcessed(sentences);
  state.counters["ns_per_sentence"] = benchmark::Counter(
      static_cast<double>(sentences), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["fix_ratio"] =
      sentences > 0 ? static_cast<double>(fixes) / static_cast<double>(sentences) : 0.0;
}

void BM_ParseSentence(benchmark::State& state) {
  ParseCorpus(state, nullptr);
}

void BM_ParseSentenceTraced(benchmark::State& state) {
  DiscardingTraceLog traceLog;
  ParseCorpus(state, &traceLog);
}

bool LoadCorpus(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty()) {
      corpus.push_back(line);
    }
  }
  return !corpus.empty();
}

}  // namespace

int main(int argc, char** argv) {
  std::string path = VESK_NMEA_CORPUS;
  const char prefix[] = "--nmea_corpus=";
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], prefix, sizeof prefix - 1) == 0) {
      path = argv[i] + sizeof prefix - 1;
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  if (!LoadCorpus(path)) {
    std::printf("nmea_bench: no corpus at %s, skipping\n", path.c_str());
    return 0;
  }
  benchmark::RegisterBenchmark("BM_ParseSentence", BM_ParseSentence);
  benchmark::RegisterBenchmark("BM_ParseSentenceTraced", BM_ParseSentenceTraced);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
