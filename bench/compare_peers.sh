#!/usr/bin/env bash
# Side-by-side: our end-to-end simulation (sampling, 5 formulas and both sample
# files) and OpenTURNS drawing the same marginals with the normal correlation
# matrix of the same tree, evaluating the same 5 formulas, then writing all of
# it as CSV. Both run here, one after the other.
#
#   bench/compare_peers.sh [samples]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
samples=${1:-1000000}

TESMIRA_EXTRA_PACKAGES="python3-openturns python3-numpy" bash scripts/install-deps
build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESMIRA_BENCH=ON \
  -DTESMIRA_TESTS=OFF -DTESMIRA_GUI=OFF > /dev/null
cmake --build "$build" --target bench_simulation vines_bench -j "$(nproc)" > /dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== Tesmira"
"$build/bench/simulation/bench_simulation" "$samples" "$work/ours" | tee "$work/ours.txt"
ours=$(awk '/^TESMIRA_SECONDS/ {print $2}' "$work/ours.txt")

echo "== OpenTURNS"
theirs=$(/usr/bin/python3 - "$samples" "$work/peer.csv" <<'PY'
import math, sys, time
import numpy as np
import openturns as ot
n = int(sys.argv[1]); out = sys.argv[2]
# The same tree: x1 heads it, xk hangs below x(k//2), rank correlation 0.3 + 0.05 k,
# normal copula: product-moment 2 sin(pi r / 6) on each link, products along paths.
parent = {k: k // 2 for k in range(2, 11)}
rho = {k: 2 * math.sin(math.pi * (0.3 + 0.05 * k) / 6) for k in range(2, 11)}
def path(k):
    p = [k]
    while k != 1:
        k = parent[k]; p.append(k)
    return p
R = ot.CorrelationMatrix(10)
for i in range(1, 11):
    for j in range(i + 1, 11):
        a, b = path(i), path(j)
        common = next(x for x in a if x in b)
        r = 1.0
        for x in a[:a.index(common)] + b[:b.index(common)]:
            r *= rho[x]
        R[i - 1, j - 1] = r
marginals = [ot.Normal(k, 1 + 0.1 * k) for k in range(1, 11)]
dist = ot.ComposedDistribution(marginals, ot.NormalCopula(R))
ot.RandomGenerator.SetSeed(1)
t0 = time.perf_counter()
sample = dist.getSample(n)
# The same 5 formulas as ours, written beside the inputs.
a = np.asarray(sample)
f1 = a[:, 0] + a[:, 1] + a[:, 2]
f2 = a[:, 3] * a[:, 4] - a[:, 5]
f3 = (a[:, 6] + a[:, 7]) / 2
f4 = a[:, 8] * a[:, 8] + a[:, 9]
f5 = f1 - f3
sample = ot.Sample(np.column_stack([a, f1, f2, f3, f4, f5]))
t1 = time.perf_counter()
sample.exportToCSVFile(out)
t2 = time.perf_counter()
print(f"sampling and formulas {t1 - t0:.3f} s, CSV {t2 - t1:.3f} s", file=sys.stderr)
print(f"{t2 - t0:.3f}")
PY
)
echo "total $theirs s"
/usr/bin/python3 -c "import sys; o, t = float(sys.argv[1]), float(sys.argv[2]); print(f'== ratio: Tesmira {o:.3f} s / OpenTURNS {t:.3f} s = {o / t:.2f}')" "$ours" "$theirs"

# The 20-variable correlation matrix under the normal copula, sampling only:
# our normal belief net against OpenTURNS' NormalCopula with the same
# product-moment matrix rho_ij = 0.6^|i-j|.
echo "== Tesmira, 20-variable normal correlation matrix"
"$build/bench/vines/vines_bench" matrix "$samples" | tee "$work/matrix.txt"
ours=$(awk '/^TESMIRA_SECONDS/ {print $2}' "$work/matrix.txt")
echo "== OpenTURNS, NormalCopula getSample"
theirs=$(/usr/bin/python3 - "$samples" <<'PY'
import sys, time
import openturns as ot
n = int(sys.argv[1]); d = 20
R = ot.CorrelationMatrix(d)
for i in range(d):
    for j in range(i + 1, d):
        R[i, j] = 0.6 ** (j - i)
copula = ot.NormalCopula(R)
ot.RandomGenerator.SetSeed(1)
t0 = time.perf_counter()
copula.getSample(n)
print(f"{time.perf_counter() - t0:.3f}")
PY
)
echo "total $theirs s"
/usr/bin/python3 -c "import sys; o, t = float(sys.argv[1]), float(sys.argv[2]); print(f'== ratio (matrix): Tesmira {o:.3f} s / OpenTURNS {t:.3f} s = {o / t:.2f}')" "$ours" "$theirs"
