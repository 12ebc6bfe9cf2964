// A script's LOAD_SAMPLES naming all n columns of a ".sae" (in reverse order)
// or all n variables of a ".samhdr": resolving the names and reading the
// samples. Linear in n.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "script_executor.h"

namespace tesvane::bench {
namespace {

class TQuietHost : public TScriptHost {
 public:
  int Loaded = 0;
  void UnloadSampleFile() override {}
  void RefreshAfterLoad() override { ++Loaded; }
  void ShowResult(const std::string&, int32_t) override {}
  void StartRun() override {}
};

std::filesystem::path Folder() {
  auto dir = std::filesystem::temp_directory_path() /
             ("tesvane_bench_script_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  return dir;
}

void Write(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string Script(const std::filesystem::path& file, int64_t n, const std::string& prefix) {
  std::string s = "<pellian_script type=\"LOAD_SAMPLES\"><filename>" + file.string() +
                  "</filename><random_variable>";
  for (int64_t k = n - 1; k >= 0; --k) s += "<v>" + prefix + std::to_string(k) + "</v>";
  return s + "</random_variable></pellian_script>";
}

void Run(benchmark::State& state, const std::filesystem::path& script, int64_t n) {
  for (auto _ : state) {
    TFileData store;
    TRunData run;
    TQuietHost host;
    TScriptExecutor(script.string(), store, run, host).Run();
    if (host.Loaded != 1 || store.VarCount != n) state.SkipWithError("not loaded");
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void BM_ScriptLoadSae(benchmark::State& state) {
  const int64_t n = state.range(0);
  const auto dir = Folder();
  std::string header, row;
  for (int64_t k = 0; k < n; ++k) {
    header += (k ? ", " : "") + std::string("Var") + std::to_string(k);
    row += k ? ", 1" : "1";
  }
  Write(dir / "d.sae", header + "\n" + row + "\n" + row + "\n");
  Write(dir / "s.pelscript", Script(dir / "d.sae", n, "var"));
  Run(state, dir / "s.pelscript", n);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ScriptLoadSae)->Arg(5000)->Arg(20000)->Arg(80000)->Unit(benchmark::kMillisecond);

void BM_ScriptLoadSamhdr(benchmark::State& state) {
  const int64_t n = state.range(0);
  const auto dir = Folder();
  Write(dir / "v.bin", std::string(8, '\0'));  // two float samples of 0
  std::string header = "<pellian_modular_sample_header><number_of_samples>2</number_of_samples>";
  for (int64_t k = 0; k < n; ++k)
    header += "<random_variable><name>V" + std::to_string(k) +
              "</name><description/><is_functional>0</is_functional><type>0</type>"
              "<binary_sample_filename>v.bin</binary_sample_filename></random_variable>";
  Write(dir / "h.samhdr", header + "</pellian_modular_sample_header>");
  Write(dir / "s.pelscript", Script(dir / "h.samhdr", n, "V"));
  Run(state, dir / "s.pelscript", n);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ScriptLoadSamhdr)->Arg(2500)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tesvane::bench

BENCHMARK_MAIN();
