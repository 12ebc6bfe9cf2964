// Random network problems for the benchmarks: n nodes on a directed ring
// of ample capacity (so that every problem is feasible) plus random arcs, integral
// supplies on the first third of the nodes and demands on the rest, integral
// bounds (some lower bounds above 0) and costs of both signs.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "zozivor/network_tables.h"

namespace bench {

struct Lcg {
  uint64_t state;
  int Next(int k) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>((state >> 33) % static_cast<uint64_t>(k));
  }
};

// The shape: node v supplies when v <= n / 3, else demands; arcs from, to.
inline std::vector<std::pair<int, int>> MakeShape(int n, int m, uint64_t seed) {
  Lcg g{seed};
  std::vector<std::pair<int, int>> arcs;
  std::set<std::pair<int, int>> seen;
  for (int v = 1; v <= n; ++v) {
    arcs.push_back({v, v % n + 1});
    seen.insert(arcs.back());
  }
  while (static_cast<int>(arcs.size()) < m) {
    int a = 1 + g.Next(n), b = 1 + g.Next(n);
    if (a != b && seen.insert({a, b}).second) arcs.push_back({a, b});
  }
  return arcs;
}

// One sample's values on the shape.
inline tesmira::ZoziVorNetworkTables MakeProblem(int n,
                                                 const std::vector<std::pair<int, int>>& shape,
                                                 uint64_t seed) {
  Lcg g{seed};
  tesmira::ZoziVorNetworkTables t;
  t.Clear();
  int suppliers = n / 3;
  int total = 0;
  for (int v = 1; v <= n; ++v) {
    tesmira::ZoziVorNode node;
    node.name = std::to_string(v);
    node.type = v <= suppliers ? 's' : 'd';
    if (v <= suppliers) {
      node.value = 10 + g.Next(41);
      total += static_cast<int>(node.value);
    }
    t.nodes.push_back(node);
  }
  // Demands: the total spread at random over the demand nodes.
  for (int k = 0; k < total; ++k)
    t.nodes[static_cast<std::size_t>(suppliers + 1 + g.Next(n - suppliers))].value += 1;
  for (auto [a, b] : shape) {
    tesmira::ZoziVorArc arc;
    arc.from = static_cast<int16_t>(a);
    arc.to = static_cast<int16_t>(b);
    arc.lower = g.Next(4) == 0 ? g.Next(3) : 0;
    // The ring carries any supply; the other arcs may bind.
    bool ring = b == a % n + 1;
    arc.upper = arc.lower + (ring ? total : 20 + g.Next(total + 1));
    arc.cost = g.Next(31) - 5;
    t.arcs.push_back(arc);
  }
  return t;
}

}  // namespace bench
