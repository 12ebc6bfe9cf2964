// The INI class on a settings file whose one section holds n keys: reading
// the file, then looking up and changing every key. Linear in n.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "ini_file.h"

namespace {

std::string WriteIni(int64_t keys) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("tesmira_bench_ini_" + std::to_string(::getpid()) + ".ini"))
                               .string();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "; kept comment\r\n[Settings]\r\n";
  for (int64_t k = 0; k < keys; ++k) out << "Key" << k << "=" << k << "\r\n";
  return path;
}

void BM_IniFileOneSection(benchmark::State& state) {
  const int64_t keys = state.range(0);
  const std::string path = WriteIni(keys);
  for (auto _ : state) {
    common::TIniFile ini(path);
    ini.SetAutoSave(false);
    int64_t sum = 0;
    for (int64_t k = keys - 1; k >= 0; --k)
      sum += ini.ReadInteger("SETTINGS", "key" + std::to_string(k), 0);
    for (int64_t k = 0; k < keys; k += 2)
      ini.WriteInteger("Settings", "Key" + std::to_string(k), 1);
    if (sum != keys * (keys - 1) / 2) state.SkipWithError("wrong values read");
    benchmark::DoNotOptimize(ini.Text().size());
  }
  std::remove(path.c_str());
  state.SetItemsProcessed(state.iterations() * keys);
}
BENCHMARK(BM_IniFileOneSection)->Arg(6250)->Arg(25000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
