// What the recording vendor library adds to a call: GetSignalStrength through the recorder (forwarded
// to the simulator, the call written to a recording) beside the same call made on the simulator
// directly, in the same run. Per-call time, the median of the repetitions' batches.
// Usage: recorder_bench [REPETITIONS] [CALLS]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_host.h"

namespace {

using GetSignalStrengthFn = uint32_t (*)(int8_t*, uint32_t*);

double MicrosecondsPerCall(GetSignalStrengthFn call, int calls) {
  int8_t dbm = 0;
  uint32_t radioInterface = 0;
  const bench::Clock::time_point start = bench::Clock::now();
  for (int i = 0; i < calls; ++i) {
    if (call(&dbm, &radioInterface) != 0) {
      bench::Fail("GetSignalStrength");
    }
  }
  return bench::Microseconds(bench::Clock::now() - start) / calls;
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::atoi(argv[1]) : 5;
  const int calls = argc > 2 ? std::atoi(argv[2]) : 20000;
  const std::string real = std::string(VESK_BIN_DIR) + "/libQCWWAN2k.so";
  const std::filesystem::path recording = std::filesystem::temp_directory_path() / "vesk-recorder-bench.txt";
  setenv("VESK_REAL_QCWWAN2K", real.c_str(), 1);
  setenv("VESK_RECORD_FILE", recording.string().c_str(), 1);

  // The recorder loads the same file, so both see one simulated modem, connected once.
  bench::Simulator sim;
  bench::Library recorder("recorder/libQCWWAN2k.so");
  bench::Library direct("libQCWWAN2k.so");
  if (reinterpret_cast<uint32_t (*)()>(recorder.Symbol("QCWWANConnect"))() != 0) {
    bench::Fail("QCWWANConnect through the recorder");
  }
  const auto viaRecorder = reinterpret_cast<GetSignalStrengthFn>(recorder.Symbol("GetSignalStrength"));
  const auto viaSimulator = reinterpret_cast<GetSignalStrengthFn>(direct.Symbol("GetSignalStrength"));

  std::vector<double> recorded;
  std::vector<double> plain;
  MicrosecondsPerCall(viaRecorder, calls / 10);  // warm-up: the file opened, the caches filled
  for (int r = 0; r < repetitions; ++r) {
    plain.push_back(MicrosecondsPerCall(viaSimulator, calls));
    recorded.push_back(MicrosecondsPerCall(viaRecorder, calls));
    std::printf("repetition %d: direct %.3f us, through the recorder %.3f us\n", r + 1, plain.back(),
                recorded.back());
  }
  bench::PrintResult("recorder", "GetSignalStrength, recorded", bench::Quantile(recorded, 0.5), "us/call",
                     bench::Quantile(plain, 0.5), "<= 10 us");
  std::error_code ignored;
  std::filesystem::remove(recording, ignored);
  return 0;
}
