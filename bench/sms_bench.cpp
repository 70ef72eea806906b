// Nanoseconds per PDU of the SMS decoder, each beside a baseline measured in the same run that does
// the bare minimum of the same work with no checks, no alphabet and no time stamp:
// - the shared corpus (its SMS-DELIVER PDUs, half of them 160-septet bodies), against a septet-unpacking
//   loop;
// - the same texts as UCS2 PDUs (at most 70 characters), against a big-endian copying loop;
// - the same texts as parts of long messages (a concatenation header, at most 153 septets after it),
//   against an unpacking loop that skips the header.
// The ratios are printed at the end. Usage: sms_bench [--sms_corpus=PATH] [benchmark options]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "corpus_bench.h"
#include "sms/sms_parser.h"

namespace {

using Pdus = std::vector<std::vector<uint8_t>>;

Pdus corpus;
Pdus ucs2;
Pdus concatenated;

std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

// Offset of the protocol identifier, and of the user-data length three bytes and a time stamp later.
std::size_t ProtocolIdOffset(const std::vector<uint8_t>& pdu) {
  const std::size_t sender = pdu[0] + 2u;
  return sender + 2 + (pdu[sender] + 1u) / 2;
}

const uint8_t* UserDataLength(const uint8_t* p) {
  p += p[0] + 2;                   // service centre, first octet
  return p + (p[0] + 1) / 2 + 11;  // sender, PID, DCS, time stamp
}

void Report(benchmark::State& state, const Pdus& pdus) {
  const auto count = static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(pdus.size());
  state.SetItemsProcessed(count);
  state.counters["ns_per_pdu"] = benchmark::Counter(
      static_cast<double>(count), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Decode(benchmark::State& state, const Pdus& pdus) {
  int64_t failures = 0;
  for (auto _ : state) {
    for (const auto& pdu : pdus) {
      SMSParser parser(pdu);
      failures += parser.Parse() != 0 ? 1 : 0;
      benchmark::DoNotOptimize(parser.body.data());
    }
  }
  Report(state, pdus);
  state.counters["failures"] = static_cast<double>(failures);
}

// What any decoder must at least do: find the user data and unpack its septets.
void UnpackSeptets(benchmark::State& state, const Pdus& pdus) {
  char16_t text[256];
  for (auto _ : state) {
    for (const auto& pdu : pdus) {
      const uint8_t* p = UserDataLength(pdu.data());
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
  Report(state, pdus);
}

// The same from the first septet after the user-data header.
void UnpackAfterHeader(benchmark::State& state, const Pdus& pdus) {
  char16_t text[256];
  for (auto _ : state) {
    for (const auto& pdu : pdus) {
      const uint8_t* p = UserDataLength(pdu.data());
      const unsigned septets = *p++;
      const unsigned first = ((p[0] + 1u) * 8 + 6) / 7;
      p += 7 * first / 8;
      uint32_t bits = 0;
      int count = 0;
      if (7 * first % 8 != 0) {
        bits = *p++ >> (7 * first % 8);
        count = 8 - static_cast<int>(7 * first % 8);
      }
      for (unsigned i = first; i < septets; ++i) {
        if (count < 7) {
          bits |= static_cast<uint32_t>(*p++) << count;
          count += 8;
        }
        text[i - first] = static_cast<char16_t>(bits & 0x7F);
        bits >>= 7;
        count -= 7;
      }
      benchmark::DoNotOptimize(text);
    }
  }
  Report(state, pdus);
}

// The same for UCS2: find the user data and copy its big-endian code units.
void CopyUcs2(benchmark::State& state, const Pdus& pdus) {
  char16_t text[128];
  for (auto _ : state) {
    for (const auto& pdu : pdus) {
      const uint8_t* p = UserDataLength(pdu.data());
      const unsigned units = *p++ / 2u;
      for (unsigned i = 0; i < units; ++i) {
        text[i] = static_cast<char16_t>(p[2 * i] << 8 | p[2 * i + 1]);
      }
      benchmark::DoNotOptimize(text);
    }
  }
  Report(state, pdus);
}

// The corpus's text as UCS2, cut at 70 characters, in the same PDU otherwise.
std::vector<uint8_t> AsUcs2(const std::vector<uint8_t>& pdu, const std::u16string& body) {
  const std::size_t protocolId = ProtocolIdOffset(pdu);
  std::vector<uint8_t> out(pdu.begin(), pdu.begin() + static_cast<std::ptrdiff_t>(protocolId) + 1);
  out.push_back(0x08);
  out.insert(out.end(), pdu.begin() + static_cast<std::ptrdiff_t>(protocolId) + 2,
             pdu.begin() + static_cast<std::ptrdiff_t>(protocolId) + 9);
  const std::size_t units = std::min<std::size_t>(body.size(), 70);
  out.push_back(static_cast<uint8_t>(2 * units));
  for (std::size_t i = 0; i < units; ++i) {
    out.insert(out.end(), {static_cast<uint8_t>(body[i] >> 8), static_cast<uint8_t>(body[i])});
  }
  return out;
}

// The corpus's septets, at most 153, as part index % 3 + 1 of a three-part message with an 8-bit
// reference: a six-byte header and one fill bit before the text.
std::vector<uint8_t> AsPart(const std::vector<uint8_t>& pdu, std::size_t index) {
  const std::size_t userData = ProtocolIdOffset(pdu) + 9;
  std::vector<uint8_t> out(pdu.begin(), pdu.begin() + static_cast<std::ptrdiff_t>(userData));
  out[pdu[0] + 1u] |= 0x40;
  const unsigned septets = std::min(pdu[userData], uint8_t{153});
  std::vector<uint8_t> data = {
      0x05, 0x00, 0x03, static_cast<uint8_t>(index), 3, static_cast<uint8_t>(index % 3 + 1)};
  const unsigned first = 7;
  data.resize((7 * (first + septets) + 7) / 8, 0);
  const uint8_t* packed = &pdu[userData + 1];
  for (unsigned i = 0; i < septets; ++i) {
    const unsigned from = 7 * i;
    const unsigned septet =
        (packed[from / 8] | (from % 8 > 1 ? packed[from / 8 + 1] << 8 : 0)) >> (from % 8) & 0x7F;
    const unsigned to = 7 * (first + i);
    data[to / 8] = static_cast<uint8_t>(data[to / 8] | septet << (to % 8));
    if (to % 8 > 1) {
      data[to / 8 + 1] = static_cast<uint8_t>(data[to / 8 + 1] | septet >> (8 - to % 8));
    }
  }
  out.push_back(static_cast<uint8_t>(first + septets));
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

bool LoadCorpus(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const std::vector<uint8_t> pdu = FromHex(line.substr(0, line.find('\t')));
    // SMS-DELIVER, whatever its other flags; the rest is refused at once.
    if (!pdu.empty() && pdu[0] + 1u < pdu.size() && (pdu[pdu[0] + 1] & 0x03) == 0) {
      corpus.push_back(pdu);
    }
  }
  for (const auto& pdu : corpus) {
    SMSParser parser(pdu);
    if (parser.Parse() != 0) {
      std::printf("sms_bench: a corpus PDU does not decode\n");
      return false;
    }
    ucs2.push_back(AsUcs2(pdu, parser.body));
    concatenated.push_back(AsPart(pdu, concatenated.size()));
  }
  return !corpus.empty();
}

void PrintRatio(const bench::PerItemReporter& reporter, const char* name, const char* measure,
                const Pdus& pdus, const char* target) {
  double decode = 0;
  double baseline = 0;
  if (reporter.Ratio(std::string("BM_Decode") + name, std::string("BM_Baseline") + name, decode, baseline)) {
    std::printf("sms_bench: %s, %zu PDUs; decoder %.0f ns per PDU, baseline %.0f ns per PDU, ratio %.2f\n",
                name, pdus.size(), decode, baseline, decode / baseline);
    std::printf("RESULT|sms|%s|%.1f|ns/PDU|%.1f|%.2f|%s\n", measure, decode, baseline, decode / baseline,
                target);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = bench::TakePathFlag(argc, argv, "--sms_corpus=", VESK_SMS_CORPUS);
  if (!LoadCorpus(path)) {
    std::printf("sms_bench: no corpus at %s, skipping\n", path.c_str());
    return 0;
  }
  benchmark::RegisterBenchmark("BM_DecodeCorpus", [](benchmark::State& s) { Decode(s, corpus); });
  benchmark::RegisterBenchmark("BM_BaselineCorpus", [](benchmark::State& s) { UnpackSeptets(s, corpus); });
  benchmark::RegisterBenchmark("BM_DecodeUcs2", [](benchmark::State& s) { Decode(s, ucs2); });
  benchmark::RegisterBenchmark("BM_BaselineUcs2", [](benchmark::State& s) { CopyUcs2(s, ucs2); });
  benchmark::RegisterBenchmark("BM_DecodeConcatenated", [](benchmark::State& s) { Decode(s, concatenated); });
  benchmark::RegisterBenchmark("BM_BaselineConcatenated",
                               [](benchmark::State& s) { UnpackAfterHeader(s, concatenated); });
  bench::PerItemReporter reporter("ns_per_pdu");
  if (!bench::RunRegistered(argc, argv, reporter)) {
    return 1;
  }
  PrintRatio(reporter, "Corpus", "decoder", corpus, "<= 568 ns");
  PrintRatio(reporter, "Ucs2", "decoder, UCS2", ucs2, "-");
  PrintRatio(reporter, "Concatenated", "decoder, concatenated", concatenated, "-");
  return 0;
}
