#include "zozivor/solver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "model/sim_blocks.h"
#include "zozivor/network_tables.h"

namespace tesmira {
namespace {

// Nodes typed 'S' with the given (possibly negative) supplies; arcs given as
// from, to, lower, upper, cost.
struct ArcSpec {
  int from, to;
  double lower, upper, cost;
};

ZoziVorNetworkTables MakeNetwork(const std::vector<double>& supplies,
                                 const std::vector<ArcSpec>& arcs) {
  ZoziVorNetworkTables net;
  net.Clear();
  for (std::size_t v = 0; v < supplies.size(); ++v) {
    ZoziVorNode node;
    node.name = std::to_string(v + 1);
    node.type = 'S';
    node.value = supplies[v];
    net.nodes.push_back(node);
  }
  for (const ArcSpec& s : arcs) {
    ZoziVorArc arc;
    arc.from = static_cast<int16_t>(s.from);
    arc.to = static_cast<int16_t>(s.to);
    arc.lower = s.lower;
    arc.upper = s.upper;
    arc.cost = s.cost;
    net.arcs.push_back(arc);
  }
  return net;
}

// Solves and returns the total cost; the solver's code is left for the caller.
double SolveNetwork(ZoziVorSolver& solver, ZoziVorNetworkTables& net) {
  solver.BuildNetworkProblem(net, nullptr);
  if (solver.ErrorCode() != 0) return NAN;
  solver.Solve();
  return solver.ComputeSolution(net, nullptr);
}

TEST(ZoziVorReal48, RoundsLikeTheResultFileCodec) {
  // clang-format off
  const double values[] = {0.0, 1.0, -1.0, 0.1, -2.5, 1.0 / 3.0, 123456789.123456789, 1e-30,
                           3e-39, 2e-39, 1e38, 1.7e38, 1e300, -1e300, 1e-300, 0.30000000000000004,
                           1099511627775.5, 549755813888.5, 549755813889.5};
  // clang-format on
  for (double v : values) {
    uint8_t bytes[6];
    EncodeReal48(v, bytes);
    EXPECT_EQ(RoundReal48(v), DecodeReal48(bytes)) << v;
  }
  // 40 significant bits: halves go to even.
  EXPECT_EQ(RoundReal48(1.0 + std::ldexp(1.0, -40)), 1.0);
  EXPECT_EQ(RoundReal48(1.0 + 3 * std::ldexp(1.0, -40)), 1.0 + std::ldexp(1.0, -38));
}

TEST(ZoziVorSolver, SmallNetworksReachTheirOptimum) {
  ZoziVorSolver solver;
  // Two supplies, two demands; the cheaper crossing carries the most.
  auto net =
      MakeNetwork({20, 30, -25, -25},
                  {{1, 3, 0, 100, 1}, {1, 4, 0, 100, 4}, {2, 3, 0, 100, 3}, {2, 4, 0, 100, 2}});
  EXPECT_DOUBLE_EQ(SolveNetwork(solver, net), 85);
  EXPECT_EQ(solver.ErrorCode(), 0);
  const double flows[] = {20, 0, 5, 25};
  for (int a = 1; a <= 4; ++a) EXPECT_DOUBLE_EQ(net.arcs[a].flow, flows[a - 1]) << a;

  // Supplies reach the demands only through arcs of cost 0.
  auto free = MakeNetwork({5, 0, -5}, {{1, 2, 0, 10, 0}, {2, 3, 0, 10, 0}, {1, 3, 0, 10, 2}});
  EXPECT_EQ(SolveNetwork(solver, free), 0);
  for (int a = 1; a <= 3; ++a) {
    EXPECT_EQ(free.arcs[a].marginal, a == 3 ? 2 : 0) << a;
  }

  // A negative cost at a binding upper bound: the arc ends at its ceiling.
  auto ceiling =
      MakeNetwork({10, -10, 0}, {{1, 2, 0, 100, 5}, {1, 3, 0, 100, 1}, {3, 2, 0, 4, -3}});
  EXPECT_DOUBLE_EQ(SolveNetwork(solver, ceiling), 6 * 5 + 4 * 1 - 3 * 4);
  EXPECT_EQ(ceiling.arcs[3].state, 'c');
  EXPECT_DOUBLE_EQ(ceiling.arcs[3].flow, 4);
  EXPECT_DOUBLE_EQ(ceiling.arcs[1].flow, 6);
}

TEST(ZoziVorSolver, ChecksRefuseBrokenProblemsWithTheirTexts) {
  struct Case {
    std::vector<double> supplies;
    std::vector<ArcSpec> arcs;
    int code;
    std::string text;
  };
  // clang-format off
  const Case cases[] = {
      {{5, -5}, {{1, 2, 0, 10, 1}, {2, 1, 3, 2, 1}}, 10,
       "The problem is INFEASIBLE!\n\rArc ( 2, 1) has negative capacity."},
      {{5, -4}, {{1, 2, 0, 10, 1}}, 11,
       " The problem is INFEASIBLE!\r\n The sum of the external flows is nonzero."},
      {{5, -5, 0}, {{2, 1, 0, 10, 1}, {3, 2, 0, 10, 1}}, 12,
       " The problem is INFEASIBLE!\r\n Node 1 is blocking"},
      {{0, 5, -5}, {{2, 1, 0, 10, 1}, {1, 2, 0, 10, 1}, {3, 1, 0, 10, 1}}, 12,
       " The problem is INFEASIBLE!\r\n Node 3 is blocking"},
  };
  // clang-format on
  ZoziVorSolver solver;
  for (const Case& c : cases) {
    auto net = MakeNetwork(c.supplies, c.arcs);
    solver.BuildNetworkProblem(net, nullptr);
    EXPECT_EQ(solver.ErrorCode(), c.code);
    EXPECT_EQ(solver.ErrorText(), c.text);
    EXPECT_EQ(solver.Iterations(), 0);
  }
}

TEST(ZoziVorSolver, ReportsInfeasibleAndEndsAtTheIterationCap) {
  ZoziVorSolver solver;
  // The only way out of node 1 holds 3 of its 5 units.
  auto net = MakeNetwork({5, 0, -5}, {{1, 2, 0, 3, 1}, {2, 3, 0, 10, 1}});
  SolveNetwork(solver, net);
  EXPECT_EQ(solver.ErrorCode(), ZoziVorInfeasible);
  EXPECT_EQ(solver.ErrorText(), "The problem is INFEASIBLE");

  auto big =
      MakeNetwork({20, 30, -25, -25},
                  {{1, 3, 0, 100, 1}, {1, 4, 0, 100, 4}, {2, 3, 0, 100, 3}, {2, 4, 0, 100, 2}});
  solver.SetIterationCap(2);
  SolveNetwork(solver, big);
  EXPECT_EQ(solver.ErrorCode(), ZoziVorIterationLimit);
  EXPECT_EQ(solver.ErrorText(), "The solver did not reach a solution in 2 iterations.");
  EXPECT_EQ(solver.Iterations(), 2);
}

// The generator of make_random_networks.py.
struct Lcg {
  uint64_t state;
  int Next(int k) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>((state >> 33) % static_cast<uint64_t>(k));
  }
};

struct RandomProblem {
  int n = 0;
  std::vector<ArcSpec> arcs;
  std::vector<double> supplies;
  int64_t checksum = 0;
};

RandomProblem MakeRandomProblem(uint64_t seed) {
  Lcg g{seed};
  RandomProblem p;
  p.n = 10 + g.Next(41);
  std::vector<std::pair<int, int>> pairs;
  std::set<std::pair<int, int>> seen;
  auto add = [&](int a, int b) {
    if (a != b && seen.insert({a, b}).second) pairs.push_back({a, b});
  };
  for (int v = 2; v <= p.n; ++v) {
    int u = 1 + g.Next(v - 1);
    if (g.Next(2))
      add(u, v);
    else
      add(v, u);
  }
  for (int i = 0, extra = 1 + g.Next(2 * p.n); i < extra; ++i) {
    int a = 1 + g.Next(p.n);
    int b = 1 + g.Next(p.n);
    add(a, b);
  }
  p.supplies.assign(static_cast<std::size_t>(p.n), 0);
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    auto [a, b] = pairs[i];
    int x4 = 4 * g.Next(21);
    int l4 = g.Next(3) == 0 ? 0 : std::max(0, x4 - 2 * g.Next(9));
    int u4 = x4 + 2 * g.Next(11);
    int c4 = g.Next(41) - 15;
    p.arcs.push_back({a, b, l4 / 4.0, u4 / 4.0, c4 / 4.0});
    p.supplies[static_cast<std::size_t>(a - 1)] += x4 / 4;
    p.supplies[static_cast<std::size_t>(b - 1)] -= x4 / 4;
    p.checksum += static_cast<int64_t>(i + 1) * c4 + l4 + u4 + a * b;
  }
  return p;
}

TEST(ZoziVorSolver, RandomNetworksMatchAnIndependentSolver) {
  std::ifstream in(ZOZIVOR_TEST_DATA "/random_networks.txt");
  ASSERT_TRUE(in) << "fixture missing";
  ZoziVorSolver solver;
  int problems = 0;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    uint64_t seed;
    int n, m;
    int64_t checksum;
    double expected;
    ASSERT_TRUE(fields >> seed >> n >> m >> checksum >> expected);
    RandomProblem p = MakeRandomProblem(seed);
    ASSERT_EQ(p.n, n);
    ASSERT_EQ(static_cast<int>(p.arcs.size()), m);
    ASSERT_EQ(p.checksum, checksum) << "seed " << seed;
    auto net = MakeNetwork(p.supplies, p.arcs);
    double total = SolveNetwork(solver, net);
    ASSERT_EQ(solver.ErrorCode(), 0) << "seed " << seed << ": " << solver.ErrorText();
    EXPECT_NEAR(total, expected, 1e-6) << "seed " << seed;
    std::vector<double> net_out(static_cast<std::size_t>(n) + 1, 0.0);
    double recomputed = 0;
    for (int a = 1; a <= m; ++a) {
      const ZoziVorArc& arc = net.arcs[static_cast<std::size_t>(a)];
      EXPECT_GE(arc.flow, arc.lower - 1e-9) << "seed " << seed << " arc " << a;
      EXPECT_LE(arc.flow, arc.upper + 1e-9) << "seed " << seed << " arc " << a;
      net_out[static_cast<std::size_t>(arc.from)] += arc.flow;
      net_out[static_cast<std::size_t>(arc.to)] -= arc.flow;
      recomputed += arc.cost * arc.flow;
    }
    for (int v = 1; v <= n; ++v)
      EXPECT_NEAR(net_out[static_cast<std::size_t>(v)], p.supplies[static_cast<std::size_t>(v - 1)],
                  1e-9)
          << "seed " << seed << " node " << v;
    EXPECT_NEAR(recomputed, total, 1e-6);
    ++problems;
  }
  EXPECT_EQ(problems, 200);
}

}  // namespace
}  // namespace tesmira
