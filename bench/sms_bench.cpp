// Nanoseconds per PDU of the SMS decoder over the shared corpus (the SMS-DELIVER PDUs of it, half of
// them 160-septet bodies), beside a baseline measured in the same run: a bare septet-unpacking loop
// over the same PDUs, with no checks, no alphabet and no time stamp. The ratio of the two is printed
// at the end. Usage: sms_bench [--sms_corpus=PATH] [benchmark options]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "corpus_bench.h"
#include "sms/sms_parser.h"

namespace {

std::vector<std::vector<uint8_t>> corpus;

std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

void Report(benchmark::State& state) {
  const auto pdus = static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(corpus.size());
  state.SetItemsProcessed(pdus);
  state.counters["ns_per_pdu"] =
      benchmark::Counter(static_cast<double>(pdus), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_DecodePdu(benchmark::State& state) {
  int64_t failures = 0;
  for (auto _ : state) {
    for (const auto& pdu : corpus) {
      SMSParser parser(pdu);
      failures += parser.Parse() != 0 ? 1 : 0;
      benchmark::DoNotOptimize(parser.body.data());
    }
  }
  Report(state);
  state.counters["failures"] = static_cast<double>(failures);
}

// What any decoder must at least do: find the user data and unpack its septets.
void BM_UnpackSeptetsBaseline(benchmark::State& state) {
  char16_t text[256];
  for (auto _ : state) {
    for (const auto& pdu : corpus) {
      const uint8_t* p = pdu.data();
      p += p[0] + 2;                         // service centre, first octet
      p += (p[0] + 1) / 2 + 2 + 2 + 7;       // sender, PID, DCS, time stamp
      const unsigned septets = *p++;
      uint32_t bits = 0;
      int count = 0;
      for (unsigned i = 0; i < septets; ++i) {
        if (count < 7) {
          bits |= static_cast<uint32_t>(*p++) << count;
          count += 8;
        }
        text[i] = static_cast<char16_t>(bits & 0x7F);
        bits >>= 7;
        count -= 7;
      }
      benchmark::DoNotOptimize(text);
    }
  }
  Report(state);
}

bool LoadCorpus(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const std::vector<uint8_t> pdu = FromHex(line.substr(0, line.find('\t')));
    // Only SMS-DELIVER without further flags is decoded; the rest is refused at once.
    if (!pdu.empty() && pdu[0] + 1u < pdu.size() && pdu[pdu[0] + 1] == 0x04) {
      corpus.push_back(pdu);
    }
  }
  return !corpus.empty();
}


}  // namespace

int main(int argc, char** argv) {
  const std::string path = bench::TakePathFlag(argc, argv, "--sms_corpus=", VESK_SMS_CORPUS);
  if (!LoadCorpus(path)) {
    std::printf("sms_bench: no corpus at %s, skipping\n", path.c_str());
    return 0;
  }
  benchmark::RegisterBenchmark("BM_DecodePdu", BM_DecodePdu);
  benchmark::RegisterBenchmark("BM_UnpackSeptetsBaseline", BM_UnpackSeptetsBaseline);
  bench::PerItemReporter reporter("ns_per_pdu");
  if (!bench::RunRegistered(argc, argv, reporter)) {
    return 1;
  }

  double decode = 0;
  double baseline = 0;
  if (reporter.Ratio("BM_DecodePdu", "BM_UnpackSeptetsBaseline", decode, baseline)) {
    std::printf("sms_bench: %zu PDUs; decoder %.0f ns per PDU, baseline %.0f ns per PDU, ratio %.2f\n", corpus.size(),
                decode, baseline, decode / baseline);
    std::printf("RESULT|sms|decoder|%.1f|ns/PDU|%.1f|%.2f|-\n", decode, baseline, decode / baseline);
  }
  return 0;
}
