// Saving and opening a large model, and writing the output file of a large run.
//
//   bench_model_files [--benchmark_filter=...]
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/simulation.h"
#include "tesmira/structures.h"

namespace {

std::filesystem::path Folder() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() /
             ("tesmira_bench_files_" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

void SetName(unsigned char* s, const std::string& text) {
  s[0] = static_cast<unsigned char>(text.size());
  std::memcpy(s + 1, text.data(), text.size());
}

void AddVariable(const std::string& name) {
  TExtendedRandomVariable rv;
  std::memset(&rv, 0, sizeof rv);
  SetName(rv.distribution.name, name);
  rv.distribution.distType = DistNormal;
  rv.distribution.u.params[1] = 1.0;
  Create_TSMObject(ObjRandomVariable, &rv);
}

void AddFormula(const std::string& name, const std::string& text) {
  TUdf f;
  std::memset(&f, 0, sizeof f);
  SetName(f.name, name);
  SetName(f.text, text);
  Create_TSMObject(ObjFormula, &f);
}

// 1000 variables, 1000 formulas and 1000 nodes saved and opened again.
void BM_SaveAndOpenModel(benchmark::State& state) {
  Init_data();
  for (int k = 1; k <= 1000; ++k) AddVariable("v" + std::to_string(k));
  for (int k = 1; k <= 1000; ++k)
    AddFormula("f" + std::to_string(k), "v" + std::to_string(k) + "*2");
  Update_TSMObjects(ObjDependenceNode);
  const std::string path = (Folder() / "large.tsm").string();
  for (auto _ : state) {
    if (WriteTSMFile(path.c_str()) != 3000) state.SkipWithError("save failed");
    Init_data();
    if (LoadTSMFile(path.c_str(), TsmOpen) != 3000) state.SkipWithError("open failed");
  }
  End_data();
}
BENCHMARK(BM_SaveAndOpenModel)->Unit(benchmark::kMillisecond);

// The output file of a run of 10^6 samples with 100 outputs at resolution
// 10000 (the run itself is not timed).
void BM_WriteOutputFile(benchmark::State& state) {
  Init_data();
  const std::string model = (Folder() / "run.tsm").string();
  for (int k = 1; k <= 10; ++k) AddVariable("x" + std::to_string(k));
  for (int k = 1; k <= 100; ++k)
    AddFormula("y" + std::to_string(k), "x" + std::to_string(1 + k % 10) + "+x" +
                                            std::to_string(1 + k % 7) + "*" + std::to_string(k));
  Update_TSMObjects(ObjDependenceNode);
  WriteTSMFile(model.c_str());
  TRunRequest r = DefaultRunRequest;
  r.runs = 10000;
  r.seed = 11;
  r.resolution = 10000;
  r.correlationKind = 2;
  if (Run_simul(&r) != RunCompleted) state.SkipWithError("run failed");
  const std::string path = (Folder() / "run.tso").string();
  for (auto _ : state)
    if (WriteTSOFile(path.c_str()) <= 0) state.SkipWithError("write failed");
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  End_data();
}
BENCHMARK(BM_WriteOutputFile)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
