#!/usr/bin/env bash
# Side-by-side timings against OpenTURNS on the same work, ours and the peer
# alternating in pairs (ours, peer, ours, peer, ...) so that a change of load
# on the machine hits both; prints every pair's times and ratio, then per
# target ours ÷ peer as min / median, with the load average before and after.
#
#   matrix  the 20-variable normal correlation matrix rho_ij = 0.6^|i-j|,
#           sampling only: our normal belief net (vines_bench matrix) against
#           NormalCopula(R).getSample
#   gumbel  Gumbel conditional draws at rank correlation 0.7, two uniforms and
#           one conditional inverse each (copulas_bench gumbel), against
#           GumbelCopula(theta).getSample with the same theta
#   tree    the whole run of a tree of 10 normal variables with 5 formulas and
#           both sample files (bench_simulation) against OpenTURNS drawing the
#           same marginals under the same normal copula, evaluating the same 5
#           formulas and writing all of it as CSV; with our run's peak memory
#   growth  our tree run at 4N samples against N (4.2 or less is near linear)
#   all     the four, in that order
#
#   bench/compare_peers.sh [samples] [matrix|gumbel|tree|growth|all ...]
#
# Environment: PAIRS (pairs per target, default 3), TESMIRA_JOBS (build jobs,
# default all cores). The folder build/bench is configured as the bench preset
# does and only the programs needed are built.
set -euo pipefail
shopt -s inherit_errexit
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
samples=${1:-1000000}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(all)
[ "${targets[*]}" = all ] && targets=(matrix gumbel tree growth)
pairs=${PAIRS:-3}
build_targets=()
for t in "${targets[@]}"; do
  case $t in
    matrix) build_targets+=(vines_bench) ;;
    gumbel) build_targets+=(copulas_bench) ;;
    tree | growth) build_targets+=(bench_simulation) ;;
    *)
      echo "usage: bench/compare_peers.sh [samples] [matrix|gumbel|tree|growth|all ...]" >&2
      exit 2
      ;;
  esac
done

TESMIRA_EXTRA_PACKAGES="python3-openturns python3-numpy time" bash scripts/install-deps
build=build/bench
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=Release -DTESMIRA_BENCH=ON \
  -DTESMIRA_TESTS=OFF > /dev/null
cmake --build "$build" --target "${build_targets[@]}" -j "${TESMIRA_JOBS:-$(nproc)}" > /dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python=/usr/bin/python3

# ---- the runs; each prints its seconds, then a note ----

seconds_of() { awk '/^TESMIRA_SECONDS/ {print $2}' "$1"; }

ours_matrix() {
  "$build/bench/vines/vines_bench" matrix "$samples" > "$work/matrix.txt"
  seconds_of "$work/matrix.txt"
}

cat > "$work/matrix.py" <<'PY'
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
peer_matrix() { "$python" "$work/matrix.py" "$samples"; }

ours_gumbel() {
  "$build/bench/copulas/copulas_bench" gumbel "$samples" > "$work/gumbel.txt"
  seconds_of "$work/gumbel.txt"
}

cat > "$work/gumbel.py" <<'PY'
import sys, time
import openturns as ot
n = int(sys.argv[1]); theta = float(sys.argv[2])
copula = ot.GumbelCopula(theta)
ot.RandomGenerator.SetSeed(1)
t0 = time.perf_counter()
copula.getSample(n)
print(f"{time.perf_counter() - t0:.3f}")
PY
peer_gumbel() { "$python" "$work/gumbel.py" "$samples" "$theta"; }

# Our whole tree run of $1 samples, with its sampling time and peak memory.
# Each size replaces its own files, as a repeated run does: a run that first
# deletes a larger run's files pays, on a virtual machine, for memory that the
# host has to hand back, which is no part of the run.
ours_tree() {
  /usr/bin/time -f %M -o "$work/peak.txt" \
    "$build/bench/simulation/bench_simulation" "$1" "$work/ours-$1" > "$work/tree.txt"
  printf '%s (sampling only %s s, peak memory %d MB)\n' "$(seconds_of "$work/tree.txt")" \
    "$(awk '/^sampling only/ {print $3}' "$work/tree.txt")" $(($(tail -n 1 "$work/peak.txt") / 1024))
}

cat > "$work/tree.py" <<'PY'
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
print(f"{t2 - t0:.3f} (sampling and formulas {t1 - t0:.3f} s, CSV {t2 - t1:.3f} s)")
PY
peer_tree() { "$python" "$work/tree.py" "$samples" "$work/peer.csv"; }

# ---- the pairs ----

loadavg() { cut -d ' ' -f 1-3 /proc/loadavg; }
closing=()

# compare TITLE FIRST SECOND [NAME1 NAME2]: runs the commands FIRST and SECOND
# (each prints its seconds, then a note) alternately, $pairs times, prints
# every pair and FIRST ÷ SECOND as min / median.
compare() {
  local title=$1 first=$2 second=$3 name1=${4:-ours} name2=${5:-peer}
  local i out1 out2 s1 s2 note1 note2 ratio ratios=() before
  before=$(loadavg)
  echo "== $title, $pairs pairs, load average before $before"
  for ((i = 1; i <= pairs; i++)); do
    out1=$($first)
    read -r s1 note1 <<< "$out1"
    out2=$($second)
    read -r s2 note2 <<< "$out2"
    ratio=$(awk -v a="$s1" -v b="$s2" 'BEGIN {printf "%.3f", a / b}')
    ratios+=("$ratio")
    echo "pair $i: $name1 $s1 s${note1:+ $note1}, $name2 $s2 s${note2:+ $note2}, ratio $ratio"
  done
  local summary
  summary=$(printf '%s\n' "${ratios[@]}" | sort -g | awk '{r[NR] = $1}
    END {m = NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2
         printf "min %.2f / median %.2f", r[1], m}')
  summary="$title: $name1 ÷ $name2: $summary (load average before $before, after $(loadavg))"
  closing+=("$summary")
  echo "$summary"
}

echo "samples $samples; $(uptime)"
for t in "${targets[@]}"; do
  case $t in
    matrix)
      compare "20-variable normal correlation matrix" ours_matrix peer_matrix ;;
    gumbel)
      "$build/bench/copulas/copulas_bench" gumbel 1 > "$work/theta.txt"
      theta=$(awk '/^theta/ {print $2}' "$work/theta.txt")
      compare "Gumbel conditional draws (rank correlation 0.7, theta $(printf %.6f "$theta"))" ours_gumbel peer_gumbel ;;
    tree)
      compare "10-variable tree, 5 formulas, both sample files" "ours_tree $samples" peer_tree ;;
    growth)
      compare "growth of the tree run from N = $samples to 4N (target 4.2 or less)" \
        "ours_tree $((4 * samples))" "ours_tree $samples" 4N N ;;
  esac
done

echo
echo "== closing note ($(uptime))"
printf '%s\n' "${closing[@]}"
