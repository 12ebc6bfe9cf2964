// Writes random network problems (100 nodes, 300 arcs) to a text file for a
// peer solver and times our solver on the same problems.
//
//   zozivor_compare [problems] [file]
//
// File: per problem a line "P n m", n lines "v b" (b = supply, negative for a
// demand), m lines "from to lower upper cost". Output: the optimum of every
// problem ("TOTAL k value") and "TESMIRA_US_PER_PROBLEM x".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "problems.h"
#include "zozivor/solver.h"

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 50;
  const std::string file = argc > 2 ? argv[2] : "zozivor_problems.txt";
  constexpr int kNodes = 100, kArcs = 300;
  auto shape = bench::MakeShape(kNodes, kArcs, 7);
  std::vector<tesmira::ZoziVorNetworkTables> problems;
  for (int k = 0; k < count; ++k) problems.push_back(bench::MakeProblem(kNodes, shape, 1000 + k));

  FILE* out = std::fopen(file.c_str(), "w");
  if (!out) {
    std::perror(file.c_str());
    return 1;
  }
  for (const auto& p : problems) {
    std::fprintf(out, "P %d %d\n", p.NodeCount(), p.ArcCount());
    for (int v = 1; v <= p.NodeCount(); ++v)
      std::fprintf(out, "%d %.0f\n", v,
                   p.nodes[v].type == 's' ? p.nodes[v].value : -p.nodes[v].value);
    for (int a = 1; a <= p.ArcCount(); ++a)
      std::fprintf(out, "%d %d %.0f %.0f %.0f\n", p.arcs[a].from, p.arcs[a].to, p.arcs[a].lower,
                   p.arcs[a].upper, p.arcs[a].cost);
  }
  std::fclose(out);

  tesmira::ZoziVorSolver solver;
  solver.AllocateSolverTables();
  std::vector<double> totals(problems.size());
  int rounds = 0;
  auto start = std::chrono::steady_clock::now();
  double seconds = 0;
  do {
    for (std::size_t k = 0; k < problems.size(); ++k) {
      solver.BuildNetworkProblem(problems[k], nullptr);
      solver.Solve();
      totals[k] = solver.ComputeSolution(problems[k], nullptr);
      if (solver.ErrorCode() != 0) {
        std::fprintf(stderr, "problem %zu: %s\n", k, solver.ErrorText().c_str());
        return 1;
      }
    }
    ++rounds;
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  } while (seconds < 0.5);
  for (std::size_t k = 0; k < totals.size(); ++k) std::printf("TOTAL %zu %.6f\n", k, totals[k]);
  std::printf("TESMIRA_US_PER_PROBLEM %.3f\n",
              1e6 * seconds / (rounds * static_cast<double>(problems.size())));
  return 0;
}
