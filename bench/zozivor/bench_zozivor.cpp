// The network solver on a network of 100 nodes and 300 arcs: solves per
// second (solver alone), and samples per second of the per-sample routine
// (binding the values, solving, storing the outputs, the trace) with the
// trace written to a file and to /dev/null.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/short_string.h"
#include "model/sim_blocks.h"
#include "problems.h"
#include "zozivor/network.h"
#include "zozivor/solver.h"

namespace {

constexpr int kNodes = 100, kArcs = 300, kProblems = 64;

const std::vector<tesmira::ZoziVorNetworkTables>& Problems() {
  static std::vector<tesmira::ZoziVorNetworkTables> problems = [] {
    auto shape = bench::MakeShape(kNodes, kArcs, 7);
    std::vector<tesmira::ZoziVorNetworkTables> p;
    for (int k = 0; k < kProblems; ++k) p.push_back(bench::MakeProblem(kNodes, shape, 1000 + k));
    return p;
  }();
  return problems;
}

void BM_Solve(benchmark::State& state) {
  tesmira::ZoziVorSolver solver;
  solver.AllocateSolverTables();
  std::vector<tesmira::ZoziVorNetworkTables> problems = Problems();
  std::size_t k = 0;
  int64_t iterations = 0;
  for (auto _ : state) {
    auto& p = problems[k++ % problems.size()];
    solver.BuildNetworkProblem(p, nullptr);
    solver.Solve();
    benchmark::DoNotOptimize(solver.ComputeSolution(p, nullptr));
    iterations += solver.Iterations();
    if (solver.ErrorCode() != 0) state.SkipWithError(solver.ErrorText().c_str());
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["pivots"] =
      benchmark::Counter(static_cast<double>(iterations) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_Solve);

// The sample lists of a model that names every node's supply or demand,
// every arc's cost and upper bound, and the lower bounds of the first 50
// arcs, with the values of each problem by list position.
struct Named {
  TSampleList inputs, outputs;
  std::vector<std::vector<double>> values;
};

Named MakeNamed() {
  Named n;
  tesmira::ClearSampleList(n.inputs);
  tesmira::ClearSampleList(n.outputs);
  const auto& first = Problems().front();
  int k = 0;
  auto add = [&](const std::string& name) {
    tesmira::SetShortString(n.inputs.entries[k++].name, name);
  };
  for (int v = 1; v <= kNodes; ++v) add(std::string(1, first.nodes[v].type) + first.nodes[v].name);
  for (int a = 1; a <= kArcs; ++a) {
    std::string from = std::to_string(first.arcs[a].from), to = std::to_string(first.arcs[a].to);
    add(from + "c" + to);
    add(from + "u" + to);
    if (a <= 50) add(from + "l" + to);
  }
  n.inputs.count = static_cast<int16_t>(k);
  for (const auto& p : Problems()) {
    std::vector<double> v;
    for (int i = 1; i <= kNodes; ++i) v.push_back(p.nodes[i].value);
    for (int a = 1; a <= kArcs; ++a) {
      v.push_back(p.arcs[a].cost);
      v.push_back(p.arcs[a].upper);
      if (a <= 50) v.push_back(p.arcs[a].lower);
    }
    n.values.push_back(std::move(v));
  }
  return n;
}

void BM_Sample(benchmark::State& state, bool toFile) {
  Named n = MakeNamed();
  std::string path = toFile ? (std::filesystem::temp_directory_path() /
                               ("bench_debug_" + std::to_string(::getpid()) + ".znp"))
                                  .string()
                            : "/dev/null";
  tesmira::ZoziVorNetwork net;
  std::string message;
  if (!net.Setup(n.inputs, n.outputs, 0, path, message)) {
    state.SkipWithError(message.c_str());
    return;
  }
  std::vector<double> in(static_cast<std::size_t>(n.inputs.count)),
      out(static_cast<std::size_t>(n.outputs.count));
  int64_t sample = 0;
  for (auto _ : state) {
    const auto& v = n.values[static_cast<std::size_t>(sample % kProblems)];
    std::copy(v.begin(), v.end(), in.begin());
    if (!net.Solve(in.data(), out.data(), ++sample, message)) state.SkipWithError(message.c_str());
  }
  net.End();
  if (toFile) {
    state.counters["trace_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    std::filesystem::remove(path);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_Sample, trace_file, true);
BENCHMARK_CAPTURE(BM_Sample, trace_dev_null, false);

}  // namespace

BENCHMARK_MAIN();
