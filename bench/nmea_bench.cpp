// Sentences per second of the NMEA parser over the shared corpus (a mix of RMC, GGA and GNS, each with
// a fix), beside a baseline measured in the same run: a bare split of each sentence with from_chars on
// the fields a fix needs and no check beyond the checksum, the floor of the work. The ratio of the
// parser (with a discarding trace log) to it is printed at the end.
// Usage: nmea_bench [--nmea_corpus=PATH] [benchmark options]
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "corpus_bench.h"
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

double Number(std::string_view field) {
  double value = 0.0;
  std::from_chars(field.data(), field.data() + field.size(), value);
  return value;
}

// ddmm.mmmm (or dddmm.mmmm) to signed degrees.
double Coordinate(std::string_view value, std::string_view hemisphere, std::size_t degreeDigits) {
  if (value.size() <= degreeDigits) {
    return 0.0;
  }
  int degrees = 0;
  std::from_chars(value.data(), value.data() + degreeDigits, degrees);
  const double minutes = Number(value.substr(degreeDigits));
  const double sign = hemisphere == "N" || hemisphere == "E" ? 1.0 : -1.0;
  return (degrees + minutes / 60) * sign;
}

// The floor: checksum, split, and the numbers of a fix; no other check, no trace.
bool BaselineParse(std::string_view sentence, GpsFix& fix) {
  const std::size_t star = sentence.rfind('*');
  if (sentence.size() < 7 || sentence[0] != '$' || star == std::string_view::npos || star + 3 > sentence.size()) {
    return false;
  }
  unsigned sum = 0;
  for (std::size_t i = 1; i < star; ++i) {
    sum ^= static_cast<unsigned char>(sentence[i]);
  }
  unsigned expected = 0;
  std::from_chars(sentence.data() + star + 1, sentence.data() + star + 3, expected, 16);
  if (sum != expected) {
    return false;
  }
  std::string_view fields[24];
  std::size_t count = 0;
  std::string_view body = sentence.substr(0, star);
  while (count < std::size(fields)) {
    const std::size_t comma = body.find(',');
    fields[count++] = body.substr(0, comma);
    if (comma == std::string_view::npos) {
      break;
    }
    body.remove_prefix(comma + 1);
  }
  const std::string_view type = fields[0].substr(3);
  if (type == "RMC" && count >= 9) {
    fix.latitude = Coordinate(fields[3], fields[4], 2);
    fix.longitude = Coordinate(fields[5], fields[6], 3);
    fix.speed = Number(fields[7]) * 1.852 * 1000 / 3600;
    fix.heading = Number(fields[8]);
    return true;
  }
  if ((type == "GGA" || type == "GNS") && count >= 10) {
    fix.latitude = Coordinate(fields[2], fields[3], 2);
    fix.longitude = Coordinate(fields[4], fields[5], 3);
    unsigned satellites = 0;
    std::from_chars(fields[7].data(), fields[7].data() + fields[7].size(), satellites);
    fix.satellites = static_cast<uint8_t>(satellites);
    fix.altitude = Number(fields[9]);
    return true;
  }
  return false;
}

void BM_SplitBaseline(benchmark::State& state) {
  int64_t fixes = 0;
  for (auto _ : state) {
    for (const std::string& sentence : corpus) {
      GpsFix fix;
      fixes += BaselineParse(sentence, fix) ? 1 : 0;
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
  const std::string path = bench::TakePathFlag(argc, argv, "--nmea_corpus=", VESK_NMEA_CORPUS);
  if (!LoadCorpus(path)) {
    std::printf("nmea_bench: no corpus at %s, skipping\n", path.c_str());
    return 0;
  }
  benchmark::RegisterBenchmark("BM_ParseSentence", BM_ParseSentence);
  benchmark::RegisterBenchmark("BM_ParseSentenceTraced", BM_ParseSentenceTraced);
  benchmark::RegisterBenchmark("BM_SplitBaseline", BM_SplitBaseline);
  bench::PerItemReporter reporter("ns_per_sentence");
  if (!bench::RunRegistered(argc, argv, reporter)) {
    return 1;
  }

  double traced = 0;
  double baseline = 0;
  if (reporter.Ratio("BM_ParseSentenceTraced", "BM_SplitBaseline", traced, baseline)) {
    std::printf("nmea_bench: %zu sentences; parser (discarding trace log) %.0f ns, baseline %.0f ns, ratio %.2f\n",
                corpus.size(), traced, baseline, traced / baseline);
    std::printf("RESULT|nmea|parser, discarding trace log|%.1f|ns/sentence|%.1f|%.2f|<= 1.3\n", traced, baseline,
                traced / baseline);
  }
  return 0;
}
