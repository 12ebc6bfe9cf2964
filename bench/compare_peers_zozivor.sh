#!/usr/bin/env bash
# Side-by-side: our network solver and networkx.network_simplex on the same
# random minimum-cost-flow problems (100 nodes, 300 arcs, lower bounds and
# costs of both signs), in one run; the optima must agree.
#
#   bench/compare_peers_zozivor.sh [problems]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
problems=${1:-50}

TESMIRA_EXTRA_PACKAGES="python3-networkx" bash scripts/install-deps
build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESMIRA_BENCH=ON \
  -DTESMIRA_TESTS=OFF > /dev/null
cmake --build "$build" --target zozivor_compare -j "$(nproc)" > /dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== Tesmira"
"$build/bench/zozivor/zozivor_compare" "$problems" "$work/problems.txt" > "$work/ours.txt"
ours=$(awk '/^TESMIRA_US_PER_PROBLEM/ {print $2}' "$work/ours.txt")
echo "solve $ours us per problem"

echo "== networkx"
/usr/bin/python3 - "$work/problems.txt" "$work/ours.txt" "$ours" <<'PY'
import sys, time
import networkx as nx

def problems(path):
    with open(path) as f:
        lines = iter(f.read().split("\n"))
        for line in lines:
            if not line.startswith("P "):
                continue
            _, n, m = line.split()
            n, m = int(n), int(m)
            supply = [int(next(lines).split()[1]) for _ in range(n)]
            arcs = [tuple(int(float(x)) for x in next(lines).split()) for _ in range(m)]
            yield supply, arcs

def solve(supply, arcs):
    # Lower bounds move into the demands; networkx's demand is inflow - outflow.
    g = nx.DiGraph()
    for v, b in enumerate(supply, start=1):
        g.add_node(v, demand=-b)
    constant = 0
    for a, b, lo, up, c in arcs:
        g.nodes[a]["demand"] += lo
        g.nodes[b]["demand"] -= lo
        constant += lo * c
        g.add_edge(a, b, capacity=up - lo, weight=c)
    cost, _ = nx.network_simplex(g)
    return cost + constant

ours = {}
for line in open(sys.argv[2]):
    if line.startswith("TOTAL"):
        _, k, v = line.split()
        ours[int(k)] = float(v)
data = list(problems(sys.argv[1]))
t0 = time.perf_counter()
totals = [solve(s, a) for s, a in data]
seconds = time.perf_counter() - t0
bad = [k for k, t in enumerate(totals) if abs(t - ours[k]) > 1e-6]
print(f"solve {1e6 * seconds / len(data):.1f} us per problem; optima agree: {'yes' if not bad else 'NO ' + str(bad)}")
per = 1e6 * seconds / len(data)
print(f"== ratio: networkx {per:.1f} us / Tesmira {float(sys.argv[3]):.1f} us = {per / float(sys.argv[3]):.1f} x")
PY
