// End-to-end run: a tree of 10 normal variables linked by normal copulas and
// 5 formulas, simulated through libtesmira.so, timed for sampling alone (up
// to the run's last progress report, before its results phase) and for the
// whole run with both sample files written. Each run writes into a folder
// of its own, so that no run pays for replacing another's files.
//
//   bench_simulation [samples] [folder]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_model.h"
#include "tesmira/files.h"
#include "tesmira/model.h"
#include "tesmira/simulation.h"

namespace {

using bench::BuildModel;

using Clock = std::chrono::steady_clock;
Clock::time_point lastProgress;

bool NoteProgress(int32_t, int32_t) {
  lastProgress = Clock::now();
  return true;
}

struct Timing {
  double sampling = 0;  // until the last sample is drawn, evaluated and written
  double total = 0;     // the whole run, results included
};

Timing Run(const std::filesystem::path& folder, int runs, int options) {
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  SetModelFileName((folder / "bench.tsm").string().c_str());
  TRunRequest r = DefaultRunRequest;
  r.runs = runs;
  r.seed = 1;
  r.correlationKind = 0;
  r.options = options;
  r.progress = NoteProgress;
  auto t0 = Clock::now();
  lastProgress = t0;
  int code = Run_simul(&r);
  Timing t;
  t.total = std::chrono::duration<double>(Clock::now() - t0).count();
  t.sampling = std::chrono::duration<double>(lastProgress - t0).count();
  if (code != RunCompleted) {
    std::fprintf(stderr, "run failed with code %d: %.*s\n", code, r.message[0], r.message + 1);
    std::exit(1);
  }
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  int samples = argc > 1 ? std::atoi(argv[1]) : 1000000;
  std::filesystem::path dir =
      argc > 2 ? argv[2] : std::filesystem::temp_directory_path() / "tesmira_bench";
  Init_Model_data();
  BuildModel();
  int runs = (samples + 99) / 100;
  double n = runs * 100.0;
  Timing sampling = Run(dir / "sampling", runs, 0);
  Timing files = Run(dir / "files", runs, RunWriteInputs | RunWriteOutputs);
  std::printf("samples                      %.0f (10 variables, 5 formulas)\n", n);
  std::printf("sampling only                %.3f s  %.0f samples/s\n", sampling.sampling,
              n / sampling.sampling);
  std::printf("whole run, no sample files   %.3f s\n", sampling.total);
  std::printf("with .sam and .sae written   %.3f s  %.0f samples/s\n", files.total,
              n / files.total);
  std::printf("TESMIRA_SECONDS %.3f\n", files.total);
  End_model_data();
  return 0;
}
