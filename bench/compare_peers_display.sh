#!/usr/bin/env bash
# Times the display program's density estimate and comma-separated sample
# reading side by side with peers on the same data, in the same run:
#   - KernSmooth::bkde(kernel = "triweight") in R on 10^6 normal values, 512 grid points;
#   - pandas.read_csv on the same 10^6 x 20 ".sae" file.
# Installs Debian's r-cran-kernsmooth and python3-pandas when they are missing.
# Environment: DISPLAY_BENCH=path of a built display_bench (else it is built in
# $TESMIRA_BENCH_BUILD, default build/bench); DATA_DIR (default: a new temporary folder).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

need=()
dpkg-query -W -f='${Status}' r-cran-kernsmooth 2>/dev/null | grep -q 'install ok installed' || need+=(r-cran-kernsmooth)
dpkg-query -W -f='${Status}' python3-pandas 2>/dev/null | grep -q 'install ok installed' || need+=(python3-pandas)
if [ ${#need[@]} -gt 0 ]; then
  SUDO=; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${need[@]}"
fi

bench=${DISPLAY_BENCH:-}
if [ -z "$bench" ]; then
  build=${TESMIRA_BENCH_BUILD:-build/bench}
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESMIRA_BENCH=ON \
    -DTESMIRA_TESTS=OFF >/dev/null
  cmake --build "$build" --target display_bench -j "$(nproc)"
  bench=$build/bench/display/display_bench
fi

data=${DATA_DIR:-$(mktemp -d)}
mkdir -p "$data"
bandwidth=0.1
grid=512

echo "== ours (display_bench)"
"$bench" --data-dir="$data" --benchmark_format=console --benchmark_repetitions=5 \
  --benchmark_out="$data/ours.json" --benchmark_out_format=json

echo "== KernSmooth::bkde"
Rscript --vanilla -e "
suppressMessages(library(KernSmooth))
x <- scan(file.path('$data', 'normal_1e6.txt'), quiet = TRUE)
invisible(bkde(x, kernel = 'triweight', bandwidth = $bandwidth, gridsize = ${grid}L))
reps <- 30
best <- Inf
for (r in 1:3) {
  t <- system.time(for (i in 1:reps) bkde(x, kernel = 'triweight', bandwidth = $bandwidth,
                                         gridsize = ${grid}L))[['elapsed']]
  best <- min(best, t / reps)
}
writeLines(sprintf('%.6f', best * 1000), file.path('$data', 'bkde_ms.txt'))
cat(sprintf('bkde: %.2f ms per estimate\n', best * 1000))
"

echo "== pandas.read_csv"
/usr/bin/python3 - "$data" <<'PY'
import sys, time, pandas
d = sys.argv[1]
best = float("inf")
for _ in range(3):
    t = time.perf_counter()
    frame = pandas.read_csv(d + "/bench_1e6x20.sae")
    best = min(best, time.perf_counter() - t)
assert frame.shape == (1000000, 20), frame.shape
open(d + "/pandas_ms.txt", "w").write("%.3f\n" % (best * 1000))
print("read_csv: %.0f ms for %d values" % (best * 1000, frame.size))
PY

echo "== ratios (peer time / our time; above 1 means ours is faster)"
/usr/bin/python3 - "$data" <<'PY'
import json, sys
d = sys.argv[1]
# The best of the repetitions, as for the peers.
ours = {}
for b in json.load(open(d + "/ours.json"))["benchmarks"]:
    if b.get("run_type", "iteration") != "iteration":
        continue
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    name = b["name"].split("/")[0]
    ours[name] = min(ours.get(name, float("inf")), b["real_time"] * scale)
def ms(name):
    return ours[name]
bkde = float(open(d + "/bkde_ms.txt").read())
pandas = float(open(d + "/pandas_ms.txt").read())
density = ms("BM_DensityEstimate")
parse = ms("BM_SaeParseAll")
load = ms("BM_SaeProgramLoad")
rows = [
    ("density estimate, 1e6 points, 512 grid points", density, "bkde", bkde, 1.0),
    ("read .sae 1e6 x 20, every value", parse, "read_csv", pandas, 2.0),
]
for what, o, peer, p, target in rows:
    ratio = p / o
    verdict = "meets" if ratio >= target else "MISSES"
    print("%-48s ours %9.2f ms   %-8s %9.2f ms   ratio %6.2f  (target >= %.0f: %s)"
          % (what, o, peer, p, ratio, target, verdict))
print("%-48s ours %9.2f ms   (%.1f M values/s)" % ("", parse, 20.0 / parse * 1e3))
print("%-48s ours %9.2f ms" % ("program load of that file (16000 samples kept)", load))
PY
