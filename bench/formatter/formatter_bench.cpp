// Speed of the 11-character sample value texts and of the buffered writer of
// both sample files, against std::to_chars and snprintf on the same values.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "files/result_files.h"
#include "files/sample_files.h"
#include "files/sample_store.h"
#include "model/short_string.h"
#include "model/sim_blocks.h"
#include "simulation/run_statistics.h"
#include "tesmira/model.h"

namespace {

std::vector<double> Values() {
  std::mt19937_64 rng(1);
  std::lognormal_distribution<double> d(0.0, 3.0);
  std::vector<double> v(1 << 16);
  for (std::size_t i = 0; i < v.size(); ++i) v[i] = (i % 2 ? -1 : 1) * d(rng);
  return v;
}

void BM_FormatSampleValue(benchmark::State& state) {
  std::vector<double> v = Values();
  char buf[16];
  std::size_t i = 0;
  for (auto _ : state) {
    tesmira::FormatSampleValue(v[i++ & 0xffff], buf);
    benchmark::DoNotOptimize(buf);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatSampleValue);

void BM_ToCharsScientific4(benchmark::State& state) {
  std::vector<double> v = Values();
  char buf[32];
  std::size_t i = 0;
  for (auto _ : state) {
    auto r =
        std::to_chars(buf, buf + sizeof buf, v[i++ & 0xffff], std::chars_format::scientific, 4);
    benchmark::DoNotOptimize(r.ptr);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ToCharsScientific4);

void BM_Snprintf(benchmark::State& state) {
  std::vector<double> v = Values();
  char buf[32];
  std::size_t i = 0;
  for (auto _ : state) {
    std::snprintf(buf, sizeof buf, "% .4E", v[i++ & 0xffff]);
    benchmark::DoNotOptimize(buf);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Snprintf);

// Both sample files of 15 columns; items are values.
void BM_WriteBothSampleFiles(benchmark::State& state) {
  std::vector<double> v = Values();
  TSampleList in, out;
  tesmira::ClearSampleList(in);
  tesmira::ClearSampleList(out);
  in.count = 10;
  out.count = 5;
  for (int k = 0; k < 10; ++k) {
    const char name[3] = {'x', static_cast<char>('0' + k), 0};
    tesmira::SetShortString(in.entries[k].name, name);
  }
  for (int k = 0; k < 5; ++k) {
    const char name[3] = {'y', static_cast<char>('0' + k), 0};
    tesmira::SetShortString(out.entries[k].name, name);
  }
  std::string path = (std::filesystem::temp_directory_path() / "bench_formatter.sam").string();
  tesmira::SampleFileWriter& w = tesmira::SampleOutput();
  tesmira::SampleFileSetup s;
  s.fileName = path;
  s.inputs = &in;
  s.outputs = &out;
  s.announcedSamples = 1000000;
  w.Open(s);
  std::size_t i = 0;
  for (auto _ : state) {
    for (int k = 0; k < 10; ++k) tesmira::SetEntryValue(in.entries[k], v[i++ & 0xffff]);
    for (int k = 0; k < 5; ++k) tesmira::SetEntryValue(out.entries[k], v[i++ & 0xffff]);
    w.WriteSample(in, out);
  }
  w.Close(true);
  std::remove(path.c_str());
  std::remove(tesmira::ReplaceExtension(path, ".sae").c_str());
  state.SetItemsProcessed(state.iterations() * 15);
}
BENCHMARK(BM_WriteBothSampleFiles);

// The end of a run of 10^6 samples of 15 columns: quantile tables of every
// column and the correlation matrix from the sample store; items are samples.
void BM_RunResults(benchmark::State& state) {
  const int64_t n = state.range(0);
  Init_Model_data();
  tesmira::AllocateSimulationBlocks();
  TSampleList in, out;
  tesmira::ClearSampleList(in);
  tesmira::ClearSampleList(out);
  in.count = 10;
  out.count = 5;
  std::string dir = std::filesystem::temp_directory_path().string() + "/";
  tesmira::SampleStore& store = tesmira::RunSampleStore();
  std::mt19937_64 rng(2);
  std::normal_distribution<double> g;
  for (auto _ : state) {
    state.PauseTiming();
    tesmira::ResetDistributionSlots(false);
    tesmira::ResetDistributionSlots(true);
    store.Create(dir + "bench_results.TPS", 10, 5, true);
    for (int64_t i = 0; i < n; ++i) {
      for (int k = 0; k < 10; ++k) tesmira::SetEntryValue(in.entries[k], g(rng));
      for (int k = 0; k < 5; ++k) tesmira::SetEntryValue(out.entries[k], g(rng));
      store.Append(in, out);
    }
    store.Finish();
    state.ResumeTiming();
    std::vector<std::string> messages;
    tesmira::EmpiricalSetup setup;
    setup.resolution = 1000;
    tesmira::BuildEmpiricalDistributions(store, in, setup, messages);
    setup.outputs = true;
    tesmira::BuildEmpiricalDistributions(store, out, setup, messages);
    tesmira::RunResultsSetup rs;
    rs.store = &store;
    rs.inputs = &in;
    rs.outputs = &out;
    rs.accepted = n;
    rs.planned = n;
    rs.correlationKind = static_cast<int>(state.range(1));
    std::vector<float> correlations;
    if (tesmira::ComputeRunCorrelations(store, rs.correlationKind, false, correlations))
      rs.correlations = &correlations;
    tesmira::WriteRunResults(rs, messages);
  }
  End_model_data();
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_RunResults)
    ->Args({1000000, 1})
    ->Args({1000000, 2})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
