// Sampling whole structures of 20 nodes, samples per second: a D-vine with
// Frank links, a canonical vine with Clayton links and a correlation matrix
// under the normal copula (a normal belief net); beside them the D-vine's
// n(n-1)/2 = 190 Frank conditional inverses alone, its lower bound.
//
//   vines_bench [benchmark options]
//   vines_bench matrix N   times N samples of the matrix and prints
//                          "TESMIRA_SECONDS s" (for bench/compare_peers.sh)
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

#include "dependence/copulas.h"
#include "dependence/generator.h"
#include "dependence/vine_samplers.h"

namespace {

using namespace tesmira;

constexpr int kNodes = 20;

std::vector<int> Positions() {
  std::vector<int> p(kNodes);
  std::iota(p.begin(), p.end(), 0);
  return p;
}

// Vine values: 0.7 on the first level, falling by 0.1 a level down to 0.
TCorrRows VineValues() {
  TCorrRows v(kNodes, std::vector<double>(kNodes, 0.0));
  for (int p = 0; p < kNodes; ++p)
    for (int l = 1; l < kNodes; ++l) v[p][l] = std::max(0.0, 0.8 - 0.1 * l);
  return v;
}

// The product-moment matrix of the normal copula: rho_ij = 0.6^|i-j|.
TCorrRows MatrixRho() {
  TCorrRows r(kNodes, std::vector<double>(kNodes, 0.0));
  for (int i = 0; i < kNodes; ++i)
    for (int j = 0; j < kNodes; ++j) r[i][j] = std::pow(0.6, std::abs(i - j));
  return r;
}

template <typename Sampler>
void Run(benchmark::State& state, const Sampler& sampler) {
  std::vector<double> u(kNodes, 0.0);
  int32_t idum = -1;
  NextUniform(idum);
  for (auto _ : state) {
    u[0] = NextUniform(idum);
    sampler.Sample(u.data(), idum);
    benchmark::DoNotOptimize(u.data());
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_DVineFrank(benchmark::State& state) {
  TDVineSampler s;
  s.Build(CopulaFrank, Positions(), VineValues());
  Run(state, s);
}
BENCHMARK(BM_DVineFrank);

void BM_CanonicalVineClayton(benchmark::State& state) {
  TCanonicalVineSampler s;
  s.Build(CopulaClayton, Positions(), VineValues());
  Run(state, s);
}
BENCHMARK(BM_CanonicalVineClayton);

void BM_MatrixNormal(benchmark::State& state) {
  TNormalBBN s;
  if (!s.Build(Positions(), MatrixRho())) state.SkipWithError("not positive definite");
  Run(state, s);
}
BENCHMARK(BM_MatrixNormal);

// The D-vine's conditional inverses measured alone: 190 Frank inverses per
// sample, with the uniforms each one needs.
void BM_FrankInverses190(benchmark::State& state) {
  int32_t idum = -1;
  NextUniform(idum);
  const double p = CopulaParameter(CopulaFrank, 0.5);
  for (auto _ : state) {
    for (int k = 0; k < kNodes * (kNodes - 1) / 2; ++k) {
      const double u = NextUniform(idum);
      const double t = NextUniform(idum);
      benchmark::DoNotOptimize(ConditionalInverse(CopulaFrank, p, u, t));
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FrankInverses190);

int TimeMatrix(long samples) {
  TNormalBBN s;
  if (!s.Build(Positions(), MatrixRho())) return 1;
  std::vector<double> u(kNodes, 0.0);
  double sum = 0;
  int32_t idum = -1;
  NextUniform(idum);
  const auto t0 = std::chrono::steady_clock::now();
  for (long k = 0; k < samples; ++k) {
    u[0] = NextUniform(idum);
    s.Sample(u.data(), idum);
    sum += u[kNodes - 1];
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("mean of the last column %.4f\nTESMIRA_SECONDS %.3f\n", sum / double(samples),
              seconds);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[1], "matrix") == 0) return TimeMatrix(std::atol(argv[2]));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
