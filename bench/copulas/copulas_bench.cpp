// Time per conditional draw of each copula type: two uniforms from the
// engine's generator (parent u and level t) and one conditional inverse, the
// work of one tree arc per sample. 10^6 draws take (ns per draw) milliseconds.
//
//   copulas_bench [benchmark options]
//   copulas_bench gumbel N   times N Gumbel draws at rank correlation 0.7 and
//                            prints the Gumbel theta and "TESMIRA_SECONDS s"
//                            (for bench/compare_peers.sh)
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dependence/copula_tables.h"
#include "dependence/copulas.h"
#include "dependence/generator.h"

namespace {

using namespace tesmira;

void BM_ConditionalDraw(benchmark::State& state) {
  const int type = static_cast<int>(state.range(0));
  const double r = state.range(1) / 100.0;
  CopulaGrid = 20;
  int32_t idum = -1;
  NextUniform(idum);
  const double p = CopulaParameter(type, r);
  for (auto _ : state) {
    const double u = NextUniform(idum);
    const double t = NextUniform(idum);
    benchmark::DoNotOptimize(ConditionalInverse(type, p, u, t));
  }
  state.SetLabel(type == 0   ? "Frank"
                 : type == 1 ? "band"
                 : type == 2 ? "min. information"
                 : type == 3 ? "elliptical"
                 : type == 4 ? "normal"
                 : type <= 8 ? "Clayton"
                             : "Gumbel");
}
BENCHMARK(BM_ConditionalDraw)->ArgsProduct({benchmark::CreateDenseRange(0, 12, 1), {70, -70}});

// The same with the parameter map applied on every draw.
void BM_ConditionalDrawFromRank(benchmark::State& state) {
  const int type = static_cast<int>(state.range(0));
  int32_t idum = -1;
  NextUniform(idum);
  for (auto _ : state) {
    const double u = NextUniform(idum);
    const double t = NextUniform(idum);
    benchmark::DoNotOptimize(ConditionalInverseFromRank(type, 0.7, u, t));
  }
}
BENCHMARK(BM_ConditionalDrawFromRank)->DenseRange(0, 12, 1);

// The Gumbel inverse by the bracketed root finder (tolerance 1e-6), for comparison.
void BM_GumbelBracketed(benchmark::State& state) {
  int32_t idum = -1;
  NextUniform(idum);
  const double q = GumbelThetaFromRank(0.7);
  for (auto _ : state) {
    const double u = NextUniform(idum);
    const double t = NextUniform(idum);
    benchmark::DoNotOptimize(GumbelHInverseBracketed(t, u, q));
  }
}
BENCHMARK(BM_GumbelBracketed);

// The two uniforms alone.
void BM_TwoUniforms(benchmark::State& state) {
  int32_t idum = -1;
  NextUniform(idum);
  for (auto _ : state) {
    benchmark::DoNotOptimize(NextUniform(idum));
    benchmark::DoNotOptimize(NextUniform(idum));
  }
}
BENCHMARK(BM_TwoUniforms);

// The conditional distribution h(v | u) of a D-vine step.
void BM_ConditionalCdf(benchmark::State& state) {
  const int type = static_cast<int>(state.range(0));
  int32_t idum = -1;
  NextUniform(idum);
  const double p = CopulaParameter(type, 0.7);
  for (auto _ : state) {
    const double u = NextUniform(idum);
    const double v = NextUniform(idum);
    benchmark::DoNotOptimize(ConditionalCdf(type, p, u, v));
  }
}
BENCHMARK(BM_ConditionalCdf)->Arg(0)->Arg(1)->Arg(3)->Arg(4)->Arg(5)->Arg(9);

// The loop of BM_ConditionalDraw for the Gumbel type at 0.7, timed as a whole.
int TimeGumbel(long draws) {
  int32_t idum = -1;
  NextUniform(idum);
  const double p = CopulaParameter(CopulaGumbel, 0.7);
  double sum = 0;
  const auto t0 = std::chrono::steady_clock::now();
  for (long k = 0; k < draws; ++k) {
    const double u = NextUniform(idum);
    const double t = NextUniform(idum);
    sum += ConditionalInverse(CopulaGumbel, p, u, t);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("theta %.17g\nmean draw %.4f\nTESMIRA_SECONDS %.3f\n", GumbelThetaFromRank(0.7),
              sum / double(draws), seconds);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[1], "gumbel") == 0) return TimeGumbel(std::atol(argv[2]));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
