// End-to-end run: a tree of 10 normal variables linked by normal copulas and
// 5 formulas, simulated through libtesmira.so, timed for sampling alone and
// with both sample files written.
//
//   bench_simulation [samples] [folder]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "model_builder.h"
#include "tesmira/files.h"
#include "tesmira/model.h"
#include "tesmira/simulation.h"

namespace {

std::string Name(int k) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "x%d", k);
  return buf;
}

// The tree: x1 heads it, x2..x10 hang below x((k-1)/2 + 1) (a binary tree),
// every link a normal copula with rank correlation 0.3 + 0.05 k.
void BuildModel() {
  for (int k = 1; k <= 10; ++k)
    example::AddVariable(Name(k), DistNormal, k, 1 + 0.1 * k);
  for (int k = 2; k <= 10; ++k)
    example::Link(Name(k / 2), Name(k), 0.3 + 0.05 * k, CopulaNormal);
  example::AddFormula("f1", "x1+x2+x3");
  example::AddFormula("f2", "x4*x5-x6");
  example::AddFormula("f3", "(x7+x8)/2");
  example::AddFormula("f4", "x9*x9+x10");
  example::AddFormula("f5", "f1-f3");
}

double Run(int runs, int options) {
  TRunRequest r = DefaultRunRequest;
  r.runs = runs;
  r.seed = 1;
  r.correlationKind = 0;
  r.options = options;
  auto t0 = std::chrono::steady_clock::now();
  int code = Run_simul(&r);
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  if (code != RunCompleted) {
    std::fprintf(stderr, "run failed with code %d: %.*s\n", code, r.message[0], r.message + 1);
    std::exit(1);
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  int samples = argc > 1 ? std::atoi(argv[1]) : 1000000;
  std::filesystem::path dir = argc > 2 ? argv[2] : std::filesystem::temp_directory_path() / "tesmira_bench";
  std::filesystem::create_directories(dir);
  Init_Model_data();
  SetModelFileName((dir / "bench.tsm").string().c_str());
  BuildModel();
  int runs = (samples + 99) / 100;
  double n = runs * 100.0;
  double sampling = Run(runs, 0);
  double files = Run(runs, RunWriteInputs | RunWriteOutputs);
  std::printf("samples                      %.0f (10 variables, 5 formulas)\n", n);
  std::printf("sampling only                %.3f s  %.0f samples/s\n", sampling, n / sampling);
  std::printf("with .sam and .sae written   %.3f s  %.0f samples/s\n", files, n / files);
  std::printf("TESMIRA_SECONDS %.3f\n", files);
  End_model_data();
  return 0;
}
