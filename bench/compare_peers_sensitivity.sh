#!/usr/bin/env bash
# Side-by-side timing of the sensitivity program's Spearman rank correlation
# matrix against SciPy's scipy.stats.spearmanr, on the same data in the same
# run: 10^6 samples of 20 variables, one of them heavily tied (three values).
# Installs Debian's python3-scipy, builds the benchmark programs, checks that
# both give the same matrix and prints the times and their ratios (best of
# three each). Then runs the Google Benchmark kernels of bench/sensitivity
# (the 69 x 69 batch at 10^5 samples among them) unless SKIP_KERNELS=1.
#
# Environment: TESMIRA_BENCH_BUILD (build folder, default build/bench),
# TESVANE_SPEARMAN_BIN (a prebuilt tesvane_spearman: skips the build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

TESMIRA_EXTRA_PACKAGES="python3-numpy python3-scipy" bash scripts/install-deps
python=/usr/bin/python3

build=${TESMIRA_BENCH_BUILD:-build/bench}
spearman=${TESVANE_SPEARMAN_BIN:-}
if [ -z "$spearman" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESMIRA_BENCH=ON -DTESMIRA_TESTS=OFF >/dev/null
  cmake --build "$build" -j "$(nproc)" --target tesvane_spearman sensitivity_bench
  spearman="$build/bench/sensitivity/tesvane_spearman"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$python" - "$spearman" "$work" <<'PY'
import subprocess, sys, time
import numpy as np
from scipy import stats

exe, work = sys.argv[1], sys.argv[2]
n, k = 1_000_000, 20
rng = np.random.default_rng(12345)
data = np.empty((n, k))
data[:, 0] = rng.integers(0, 3, n)                  # heavily tied
data[:, 1] = rng.normal(size=n)
for j in range(2, k):
    data[:, j] = 0.5 * data[:, j - 1] + rng.normal(size=n)
path = f"{work}/data.f64"
np.asfortranarray(data).T.astype("<f8").tofile(path)  # column after column

def ours(threads):
    times = []
    for _ in range(3):
        out = subprocess.run([exe, path, str(n), str(k), str(threads), f"{work}/ours.f64"],
                             check=True, capture_output=True, text=True).stdout
        times.append(float(out.strip()))
    return min(times)

def scipy_time():
    times, result = [], None
    for _ in range(3):
        t0 = time.perf_counter()
        result = stats.spearmanr(data).correlation
        times.append(time.perf_counter() - t0)
    return min(times), result

t_scipy, expected = scipy_time()
t_all = ours(0)
t_one = ours(1)
ours_matrix = np.fromfile(f"{work}/ours.f64", dtype="<f8").reshape(k, k)
diff = float(np.max(np.abs(ours_matrix - expected)))
print(f"Spearman matrix {n} x {k} (one heavily tied column), best of 3:")
print(f"  scipy.stats.spearmanr (scipy {__import__('scipy').__version__}): {t_scipy:.3f} s")
print(f"  tesvane, all threads:  {t_all:.3f} s   ratio tesvane/scipy = {t_all / t_scipy:.3f}")
print(f"  tesvane, one thread:   {t_one:.3f} s   ratio tesvane/scipy = {t_one / t_scipy:.3f}")
print(f"  largest difference between the two matrices: {diff:.2e}")
if diff > 1e-10:
    sys.exit("the matrices differ")
PY

if [ "${SKIP_KERNELS:-0}" != "1" ] && [ -x "$build/bench/sensitivity/sensitivity_bench" ]; then
  "$build/bench/sensitivity/sensitivity_bench"
fi
