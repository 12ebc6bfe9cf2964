// Timings of the display program's core:
//   - the triweight density estimate of 10^6 points on 512 grid points;
//   - reading a comma-separated sample file of 10^6 samples x 20 variables:
//     every value parsed into column arrays (values per second), and the
//     program's own load, which keeps at most 16000 samples.
// Usage: display_bench [--data-dir=DIR] [benchmark options]
// The data files (normal_1e6.txt, one value per line, and bench_1e6x20.sae) are
// written to DIR (default: the temporary folder) unless they are there already,
// so that other programs can be timed on the same data.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "fn/sae_reader.h"
#include "fn/sample_data.h"
#include "stats/dataset.h"
#include "stats/kernel_estimator.h"
#include "ut/file.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kPoints = 1000000;
constexpr int kGrid = 512;
constexpr double kBandwidth = 0.1;
constexpr std::size_t kSamples = 1000000;
constexpr std::size_t kColumns = 20;

fs::path data_dir = fs::temp_directory_path();

std::vector<double> NormalValues() {
  std::mt19937_64 gen(20240611);
  std::normal_distribution<double> normal;
  std::vector<double> v(kPoints);
  for (double& x : v) x = normal(gen);
  return v;
}

// The workbench's value text: " 1.2345E+02".
void AppendValue(std::string& out, double v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 4);
  out += v < 0 ? '-' : ' ';
  for (char* p = buf; p != r.ptr; ++p) out += *p == 'e' ? 'E' : *p;
}

void WriteDataFiles() {
  fs::create_directories(data_dir);
  fs::path normal = data_dir / "normal_1e6.txt";
  if (!fs::exists(normal)) {
    std::FILE* f = std::fopen(normal.c_str(), "wb");
    for (double x : NormalValues()) std::fprintf(f, "%.17g\n", x);
    std::fclose(f);
  }
  fs::path sae = data_dir / "bench_1e6x20.sae";
  if (!fs::exists(sae)) {
    std::FILE* f = std::fopen(sae.c_str(), "wb");
    std::string line;
    for (std::size_t c = 0; c < kColumns; ++c) line += (c ? ", V" : "V") + std::to_string(c + 1);
    line += "\r\n";
    std::mt19937_64 gen(7);
    std::uniform_real_distribution<double> u(-6.0, 6.0);
    for (std::size_t s = 0; s < kSamples; ++s) {
      for (std::size_t c = 0; c < kColumns; ++c) {
        if (c) line += ", ";
        AppendValue(line, std::pow(10.0, u(gen)) * (c % 2 ? -1 : 1));
      }
      line += "\r\n";
      if (line.size() > (1 << 20)) {
        std::fwrite(line.data(), 1, line.size(), f);
        line.clear();
      }
    }
    std::fwrite(line.data(), 1, line.size(), f);
    std::fclose(f);
  }
}

// The estimate from the data: range, binning and transforms.
void BM_DensityEstimate(benchmark::State& state) {
  std::vector<double> values = NormalValues();
  stats::Dataset data(static_cast<std::int32_t>(kPoints), 1);
  for (std::size_t i = 0; i < kPoints; ++i)
    data.SetValue(static_cast<std::int32_t>(i), 0, values[i]);
  for (auto _ : state) {
    stats::KernelEstimator k(&data, kGrid, kBandwidth, 0, 0.0, 0.0);
    benchmark::DoNotOptimize(k.Density().data());
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_DensityEstimate)->Unit(benchmark::kMillisecond);

// The same with the boundary correction on both sides.
void BM_DensityEstimateBounded(benchmark::State& state) {
  std::vector<double> values = NormalValues();
  stats::Dataset data(static_cast<std::int32_t>(kPoints), 1);
  for (std::size_t i = 0; i < kPoints; ++i)
    data.SetValue(static_cast<std::int32_t>(i), 0, values[i]);
  const double lo = data.ColumnMin(0), hi = data.ColumnMax(0);
  for (auto _ : state) {
    stats::KernelEstimator k(&data, kGrid, kBandwidth, 0, lo, hi);
    benchmark::DoNotOptimize(k.Density().data());
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_DensityEstimateBounded)->Unit(benchmark::kMillisecond);

class KeepFirst : public fn::RandVarPicker {
 public:
  bool PickVariables(const std::vector<std::unique_ptr<fn::CTesploreVar>>&, std::uint32_t,
                     ut::SizeTSet&) override {
    return false;
  }
};

// Every value of the file into column arrays: the header pass (names, line
// count), then every sample line.
void BM_SaeParseAll(benchmark::State& state) {
  const std::string path = (data_dir / "bench_1e6x20.sae").string();
  std::vector<std::vector<float>> columns(kColumns, std::vector<float>(kSamples));
  std::vector<float*> targets;
  for (auto& c : columns) targets.push_back(c.data());
  for (auto _ : state) {
    // The reader's header pass finds the names and counts the sample lines;
    // then every sample line is read.
    fn::SampleData set(new KeepFirst);
    fn::SaeSampleFileReader reader(set);
    KeepFirst picker;
    reader.ReadHeader(path, picker);
    const char* names_end = nullptr;
    char head[256];
    ut::File file(path, 0);
    std::uint64_t got = file.ReadBuf(head, sizeof head);
    names_end = static_cast<const char*>(std::memchr(head, '\n', got));
    std::uint64_t offset = names_end ? static_cast<std::uint64_t>(names_end - head) : 0;
    auto r = fn::SaeSampleFileReader::ReadSamples(file, offset, kColumns, targets,
                                                  set.GetNumSamplesInFile());
    if (r.samples != kSamples) state.SkipWithError("file not read whole");
    benchmark::DoNotOptimize(columns[7][12345]);
  }
  state.SetItemsProcessed(state.iterations() * kSamples * kColumns);
  state.counters["MB/s"] =
      benchmark::Counter(static_cast<double>(fs::file_size(path)) * state.iterations() / 1e6,
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SaeParseAll)->Unit(benchmark::kMillisecond)->UseRealTime();

// The display program's load of that file (at most 16000 samples kept).
void BM_SaeProgramLoad(benchmark::State& state) {
  const std::string path = (data_dir / "bench_1e6x20.sae").string();
  for (auto _ : state) {
    fn::SampleData set(new KeepFirst);
    set.SetFile(path, fn::SampleFileSae);
    benchmark::DoNotOptimize(set.GetVariable(0).GetMax());
  }
}
BENCHMARK(BM_SaeProgramLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--data-dir=", 11) == 0) {
      data_dir = argv[i] + 11;
    } else {
      rest.push_back(argv[i]);
    }
  }
  WriteDataFiles();
  int n = static_cast<int>(rest.size());
  benchmark::Initialize(&n, rest.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
