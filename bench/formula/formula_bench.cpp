// Evaluating a model's formula set per sample: 20 formulas of a handful of
// operators each over 10 inputs, 10^6 samples per iteration. The counter
// ns_per_formula is the time of one formula evaluation in nanoseconds.
#include <benchmark/benchmark.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "formula/formula_set.h"
#include "model/short_string.h"
#include "tesmira/model.h"

namespace {

constexpr int kSamples = 1000000;
constexpr int kInputs = 10;

// Simple formulas: a handful of operators, some brackets, a few references.
const char* const kSimple[20] = {"f2+f3*2",      "x1*2+x2",          "(x3-x4)/2",       "x5*x6-x7",
                                 "x8+x9+x10",    "x1*x1+x2*x2",      "(x1+x2)*(x3+x4)", "x5/2-x6*3",
                                 "x7-x8+x9*0.5", "[x10-x1]",         "x2^2+x3",         "f6*0.5+x4",
                                 "x5+x6+x7+x8",  "(x9-x10)*(x1-x2)", "x3*1e-3+x4",      "f11-f12",
                                 "x6*x7/(x8+1)", "x9*2-x10*2",       "x1+x2-x3+x4",     "f5+f19"};

// Mixed formulas: functions, multi-argument functions and conditions.
const char* const kMixed[20] = {"f2+f3",           "sq(x1)+srt[x2]", "exp(x3/10)",
                                "ln(x4+1)",        "max{x1,x2,x3}",  "min{x4,x5,x6}",
                                "sin(x7)*cos(x8)", "atan(x9)",       "i#{0,x1,x2,x3,0.5}",
                                "gam(x10+1)",      "prev(f1)+x1",    "prev0(0)*0+x2",
                                "lg10(x3+1)",      "x4^1.5",         "[x5-x6]*2",
                                "sq[x7-x8]",       "x9/(x10+1)",     "(x1+x2)*(x3-x4)",
                                "x5*x6*x7",        "f4+f5"};

void BuildModel(const char* const* texts) {
  Init_Model_data();
  for (int k = 0; k < 20; ++k) {
    TUdf rec{};
    std::string name(1, 'f');
    name += std::to_string(k + 1);
    tesmira::SetShortString(rec.name, name);
    tesmira::SetShortString(rec.text, texts[k]);
    TUdf* out = nullptr;
    int32_t size = 0;
    Create_UDF(&rec, &out, &size);
  }
}

void Evaluate(benchmark::State& state, const char* const* texts) {
  BuildModel(texts);
  std::vector<std::string> names;
  for (int i = 1; i <= kInputs; ++i) {
    std::string name(1, 'x');
    name += std::to_string(i);
    names.push_back(name);
  }
  tesmira::FormulaSet set;
  std::string message;
  if (!set.Prepare(names, message)) {
    state.SkipWithError(message.c_str());
    End_model_data();
    return;
  }
  // Input values cycled from a table so that drawing them costs next to nothing.
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> u(0.1, 2.0);
  std::vector<double> table(4096 * kInputs);
  for (double& v : table) v = u(rng);
  double* in = set.Inputs();
  bool failed = false;
  double sink = 0;
  auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    for (int s = 0; s < kSamples; ++s) {
      const double* row = &table[static_cast<std::size_t>(s & 4095) * kInputs];
      for (int i = 0; i < kInputs; ++i) in[i] = row[i];
      set.Evaluate(failed);
      sink += set.Outputs()[0];
    }
  }
  double ns =
      std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
  benchmark::DoNotOptimize(sink);
  if (failed) state.SkipWithError(set.Message().c_str());
  double evaluations = static_cast<double>(state.iterations()) * kSamples * 20;
  state.counters["ns_per_formula"] = ns / evaluations;
  End_model_data();
}

void BM_FormulaSetSimple(benchmark::State& state) { Evaluate(state, kSimple); }
void BM_FormulaSetMixed(benchmark::State& state) { Evaluate(state, kMixed); }

BENCHMARK(BM_FormulaSetSimple)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FormulaSetMixed)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
