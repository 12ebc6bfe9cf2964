#include <benchmark/benchmark.h>

#include <numeric>

#include "bench_data.h"
#include "jobs.h"
#include "ranks.h"
#include "worker.h"

namespace tesvane::bench {
namespace {

std::vector<int32_t> AllIds(int n) {
  std::vector<int32_t> ids(static_cast<size_t>(n));
  std::iota(ids.begin(), ids.end(), 0);
  return ids;
}

const TFileData& BatchStore() {
  static TFileData store = MakeStore(69, 100000);
  return store;
}

// The whole batch of 69 predicted x 69 base variables (4761 jobs, each with
// 68 explanatory variables) on the worker thread, as the Run command starts it.
void BM_Batch69x69_1e5(benchmark::State& state) {
  const TFileData& store = BatchStore();
  const unsigned threads = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    TRunData run;
    run.Jobs = BuildJobs(store, AllIds(69), AllIds(69));
    TRunListener quiet;
    TMyThread worker(store, run, quiet, TRunParameters{}, TComputeMode::Batch, threads);
    worker.Start();
    worker.WaitFor();
    if (run.Results.size() != 4761) state.SkipWithError("incomplete batch");
    benchmark::DoNotOptimize(run.Results.back()->PartialCorrelation);
  }
  state.counters["jobs"] = 4761;
}
BENCHMARK(BM_Batch69x69_1e5)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

// One job of that batch computed item by item (the documented way); the
// whole batch takes 4761 times as long ("estimated_batch_s").
void BM_ItemByItemJob69_1e5(benchmark::State& state) {
  const TFileData& store = BatchStore();
  auto jobs = BuildJobs(store, {0}, AllIds(69));
  for (auto _ : state) {
    TJobResult r = ComputeJobItemByItem(store, *jobs[1], TRunParameters{});
    benchmark::DoNotOptimize(r.Item->PartialCorrelation);
  }
}
BENCHMARK(BM_ItemByItemJob69_1e5)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

const std::vector<std::vector<double>>& SpearmanColumns() {
  static std::vector<std::vector<double>> columns = [] {
    std::mt19937_64 rng(2);
    std::normal_distribution<double> normal;
    std::vector<std::vector<double>> c(20, std::vector<double>(1000000));
    for (size_t j = 0; j < 20; ++j)
      for (size_t i = 0; i < 1000000; ++i)
        c[j][i] = j == 0 ? static_cast<double>(rng() % 3)  // heavily tied
                         : (j > 1 ? 0.5 * c[j - 1][i] : 0.0) + normal(rng);
    return c;
  }();
  return columns;
}

void BM_SpearmanMatrix_1e6x20(benchmark::State& state) {
  const auto& columns = SpearmanColumns();
  std::vector<const double*> ptrs;
  for (const auto& c : columns) ptrs.push_back(c.data());
  for (auto _ : state) {
    auto m = SpearmanMatrix(ptrs, 1000000, static_cast<unsigned>(state.range(0)));
    benchmark::DoNotOptimize(m.data());
  }
}
BENCHMARK(BM_SpearmanMatrix_1e6x20)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MidRanksRadix_1e6(benchmark::State& state) {
  const auto& c = SpearmanColumns()[5];
  TMidRanks r;
  for (auto _ : state) CalcMidRanksFast(c.data(), 1000000, r);
}
BENCHMARK(BM_MidRanksRadix_1e6)->Unit(benchmark::kMillisecond);

void BM_MidRanksIntroSort_1e6(benchmark::State& state) {
  const auto& c = SpearmanColumns()[5];
  TMidRanks r;
  for (auto _ : state) CalcMidRanks(c.data(), 1000000, r);
}
BENCHMARK(BM_MidRanksIntroSort_1e6)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tesvane::bench

BENCHMARK_MAIN();
