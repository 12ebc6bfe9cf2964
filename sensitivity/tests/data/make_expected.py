#!/usr/bin/env python3
"""Makes the measures fixture and its expected values.

Run once with Debian's python3-numpy and python3-scipy; the test commits both
outputs (fixture.sae and expected_values.h), so the test run needs neither.
The expected values come from textbook definitions, independent of the code
under test:
  - Spearman: scipy.stats.spearmanr (mid-ranks for ties);
  - partial correlation: the correlation of the residuals of Y and of X after
    least-squares regression (with intercept) on the explanatory variables;
  - partial regression: the coefficient of X in the least-squares regression
    of Y on X and the explanatory variables;
  - multiple correlation: sqrt(R^2) of the least-squares regression of Y on
    X and the explanatory variables;
  - correlation ratio: var(fit) / var(y) of numpy.polyfit of degree 3;
  - conditional expectation: means of Y over groups of the sorted X.
"""
import numpy as np
from scipy import stats

rng = np.random.default_rng(20240611)
n = 200
x1 = rng.normal(0.0, 1.0, n)
x2 = rng.integers(0, 5, n).astype(float)                     # 5 distinct values: ties
x3 = 1000.0 + rng.uniform(0.0, 1.0, n)                       # offset
x4 = x1 + 1e-3 * rng.normal(0.0, 1.0, n)                     # near-collinear with x1
x5 = np.round(rng.normal(0.0, 1.0, n), 1)                    # heavily tied continuous
y = (x1 + 0.5 * x2 ** 2 + 8.0 * (x3 - 1000.5) ** 2 + 0.3 * x5
     + 0.5 * rng.normal(0.0, 1.0, n))
y = np.round(y, 2)                                           # ties in y as well
names = ["y", "x1", "x2", "x3", "x4", "x5"]
cols = [y, x1, x2, x3, x4, x5]

with open("fixture.sae", "w", newline="") as f:
    f.write(", ".join(names) + "\r\n")
    for i in range(n):
        f.write(", ".join(repr(float(c[i])) for c in cols) + "\r\n")

# Read back exactly what the file holds.
data = np.array([[float(v) for v in line.split(",")] for line in open("fixture.sae").read().splitlines()[1:]])
cols = [data[:, j] for j in range(len(names))]
y = cols[0]
bases = list(range(1, len(names)))

def ols(target, regressors):
    A = np.column_stack([np.ones(n)] + regressors)
    coef, *_ = np.linalg.lstsq(A, target, rcond=None)
    return coef, target - A @ coef

def tie_sum(v):
    _, counts = np.unique(v, return_counts=True)
    return float(sum((t ** 3 - t) / 12.0 for t in counts))

rows = []
for b in bases:
    x = cols[b]
    expl = [cols[e] for e in bases if e != b]
    pearson = float(np.corrcoef(y, x)[0, 1])
    spearman = float(stats.spearmanr(y, x).correlation)
    regression = float(np.std(y, ddof=1) / np.std(x, ddof=1) * pearson)
    fitted = np.polyval(np.polyfit(x, y, 3), x)
    corr_ratio = float(np.var(fitted) / np.var(y))
    _, ry = ols(y, expl)
    _, rx = ols(x, expl)
    partial = float(np.corrcoef(ry, rx)[0, 1])
    coef, res = ols(y, [x] + expl)
    partial_regression = float(coef[1])
    r2 = 1.0 - float(res @ res) / float(((y - y.mean()) ** 2).sum())
    multiple = float(np.sqrt(r2))
    rows.append(dict(mean_y=float(y.mean()), mean_x=float(x.mean()),
                     var_y=float(np.var(y, ddof=1)), var_x=float(np.var(x, ddof=1)),
                     pearson=pearson, spearman=spearman, regression=regression,
                     corr_ratio=corr_ratio, partial=partial,
                     partial_regression=partial_regression, multiple=multiple,
                     ties_y=tie_sum(y), ties_x=tie_sum(x),
                     runs_y=len(np.unique(y)), runs_x=len(np.unique(x))))

# The full correlation matrix of [y, x1..x5] and its determinant.
R = np.corrcoef(np.array(cols))
det = float(np.linalg.det(R))

# Conditional expectation: x1 (continuous, 20 groups of 10 sorted samples,
# no ties) and x2 (discrete: one point per value over all its samples).
order = np.argsort(cols[1], kind="stable")
ce_x1_x = [float(cols[1][order[k * 10:(k + 1) * 10]].mean()) for k in range(20)]
ce_x1_y = [float(y[order[k * 10:(k + 1) * 10]].mean()) for k in range(20)]
values = np.unique(cols[2])
ce_x2_x = [float(v) for v in values]
ce_x2_y = [float(y[cols[2] == v].mean()) for v in values]

def arr(name, vals, ctype="double"):
    return f"inline constexpr {ctype} {name}[] = {{" + ", ".join(repr(v) for v in vals) + "};\n"

with open("expected_values.h", "w") as f:
    f.write("// Made by make_expected.py with numpy %s and scipy %s; do not edit.\n"
            % (np.__version__, __import__("scipy").__version__))
    f.write("#pragma once\n\n// clang-format off\nnamespace expected {\n\n")
    f.write(f"inline constexpr int SampleCount = {n};\n")
    f.write(f"inline constexpr int BaseCount = {len(bases)};\n")
    for key in rows[0]:
        ctype = "int" if key.startswith("runs") else "double"
        f.write(arr(key, [r[key] for r in rows], ctype))
    f.write(arr("corr_matrix", [float(v) for v in R.flatten()]))
    f.write(f"inline constexpr double corr_determinant = {det!r};\n")
    f.write(arr("ce_x1_x", ce_x1_x) + arr("ce_x1_y", ce_x1_y))
    f.write(arr("ce_x2_x", ce_x2_x) + arr("ce_x2_y", ce_x2_y))
    f.write("\n}  // namespace expected\n// clang-format on\n")
print("det", det, "partials", [r["partial"] for r in rows])
