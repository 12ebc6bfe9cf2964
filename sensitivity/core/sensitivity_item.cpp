#include "sensitivity_item.h"

#include <algorithm>
#include <cmath>

#include "correlation.h"
#include "intro_sort.h"
#include "poly_fit.h"
#include "sample_store.h"

namespace tesvane {

void IntroSortOrder(const double* x, int64_t n, std::vector<int32_t>& order) {
  std::vector<double> keys(x, x + n);
  order.resize(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) order[static_cast<size_t>(i)] = static_cast<int32_t>(i);
  if (n > 0) IntroSort(keys.data(), order.data(), n - 1);
}

void BuildConditionalPoints(const double* x, const std::vector<int32_t>& order, int64_t n,
                            int32_t usable, int32_t groups, int32_t baseDistinct,
                            TConditionalPoints& points) {
  points.PointOf.assign(static_cast<size_t>(n), -1);
  points.X.clear();
  points.Counts.clear();
  auto at = [&](int64_t pos) { return order[static_cast<size_t>(pos)]; };
  if (n <= 0 || baseDistinct <= 0) return;
  if (baseDistinct == 1) {
    for (int64_t i = 0; i < n; ++i) points.PointOf[static_cast<size_t>(i)] = 0;
    points.X.push_back(x[at(0)]);
    points.Counts.push_back(n);
  } else if (baseDistinct > DiscreteThreshold) {
    if (groups <= 0 || usable <= 0) return;
    const int64_t g = usable / groups;
    for (int32_t k = 0; k < groups; ++k) {
      double sx = 0.0;
      for (int64_t pos = k * g; pos < (k + 1) * g; ++pos) {
        sx += x[at(pos)];
        points.PointOf[static_cast<size_t>(at(pos))] = k;
      }
      points.X.push_back(sx / static_cast<double>(g));
      points.Counts.push_back(g);
    }
  } else {
    int64_t pos = 0;
    while (pos < n) {
      const double value = x[at(pos)];
      const int32_t k = static_cast<int32_t>(points.X.size());
      int64_t count = 0;
      while (pos < n && x[at(pos)] == value) {
        points.PointOf[static_cast<size_t>(at(pos))] = k;
        ++pos;
        ++count;
      }
      points.X.push_back(value);
      points.Counts.push_back(count);
    }
  }
}

namespace {
// p_(k+1) counts as vanishing on the samples when its sum of squares is below
// this share of the sum of squares of the terms it is made of (an amplitude
// of 1e-10 of theirs): what is left is rounding.
constexpr double VanishingLimit = 1e-20;
}  // namespace

void BuildOrthogonalBasis(const double* z, int64_t n, int32_t m, TOrthogonalBasis& basis) {
  basis = TOrthogonalBasis();
  basis.Requested = m;
  if (n <= 0) return;
  // cur holds p_k at every sample, prev p_(k-1); p_(k+1) is written over prev.
  std::vector<double> prev(static_cast<size_t>(n), 0.0), cur(static_cast<size_t>(n), 1.0);
  double norm = static_cast<double>(n), zNorm = 0.0, prevNorm = 0.0;
  for (int64_t i = 0; i < n; ++i) zNorm += z[i];
  basis.Norms.push_back(norm);
  for (int32_t k = 0; k < m; ++k) {
    const double a = zNorm / norm;
    const double b = k > 0 ? norm / prevNorm : 0.0;
    double nextNorm = 0.0, nextZNorm = 0.0, scale = 0.0;
    for (int64_t i = 0; i < n; ++i) {
      const size_t u = static_cast<size_t>(i);
      const double q = (z[i] - a) * cur[u] - b * prev[u];
      const double t = std::fabs(z[i] - a) * std::fabs(cur[u]) + b * std::fabs(prev[u]);
      scale += t * t;
      nextNorm += q * q;
      nextZNorm += z[i] * q * q;
      prev[u] = q;
    }
    if (!(nextNorm > VanishingLimit * scale) || !std::isfinite(nextNorm)) break;
    basis.Alpha.push_back(a);
    basis.Beta.push_back(b);
    basis.Norms.push_back(nextNorm);
    basis.Degree = k + 1;
    prevNorm = norm;
    norm = nextNorm;
    zNorm = nextZNorm;
    prev.swap(cur);
  }
}

void OrthogonalProjections(const double* z, const double* y, double meanY, int64_t n,
                           const TOrthogonalBasis& basis, std::vector<double>& sums) {
  const int32_t d = basis.Degree;
  // Two samples a step, each with its own sums, added at the end.
  std::vector<double> even(static_cast<size_t>(d) + 1, 0.0), odd(even.size(), 0.0);
  const double* alpha = basis.Alpha.data();
  const double* beta = basis.Beta.data();
  int64_t j = 0;
  for (; j + 1 < n; j += 2) {
    const double z0 = z[j], z1 = z[j + 1];
    const double w0 = y[j] - meanY, w1 = y[j + 1] - meanY;
    double p0 = 1.0, q0 = 0.0, p1 = 1.0, q1 = 0.0;
    even[0] += w0;
    odd[0] += w1;
    for (int32_t k = 0; k < d; ++k) {
      const double r0 = (z0 - alpha[k]) * p0 - beta[k] * q0;
      const double r1 = (z1 - alpha[k]) * p1 - beta[k] * q1;
      q0 = p0;
      p0 = r0;
      q1 = p1;
      p1 = r1;
      even[static_cast<size_t>(k) + 1] += w0 * p0;
      odd[static_cast<size_t>(k) + 1] += w1 * p1;
    }
  }
  for (; j < n; ++j) {
    const double w = y[j] - meanY;
    double p = 1.0, q = 0.0;
    even[0] += w;
    for (int32_t k = 0; k < d; ++k) {
      const double r = (z[j] - alpha[k]) * p - beta[k] * q;
      q = p;
      p = r;
      even[static_cast<size_t>(k) + 1] += w * p;
    }
  }
  sums.resize(even.size());
  for (size_t p = 0; p < even.size(); ++p) sums[p] = even[p] + odd[p];
}

TCorrRatioFit FitCorrelationRatio(int32_t m, const TOrthogonalBasis& basis,
                                  const std::vector<double>& sums, double sst, double meanX,
                                  double sdX, double meanY) {
  TCorrRatioFit fit;
  fit.Coefs.assign(static_cast<size_t>(m) + 1, 0.0);
  fit.Coefs[0] = meanY;
  const int32_t d = std::min(basis.Degree, m);
  if (d < 1) {
    fit.Status = FitSingular;
    return fit;
  }
  fit.Status = FitSolved;
  // The coefficient of p_k and the fitted values' sum of squares about their mean.
  std::vector<double> c(static_cast<size_t>(d) + 1);
  double ssr = 0.0;
  for (int32_t k = 0; k <= d; ++k) {
    const size_t u = static_cast<size_t>(k);
    c[u] = sums[u] / basis.Norms[u];
    if (k > 0) ssr += c[u] * sums[u];
  }
  if (sst > 0 && ssr > 0) fit.CorrRatio = ssr >= sst ? 1.0 : ssr / sst;
  // The fit in powers of z: g = meanY + sum of c_k p_k, the p_k expanded by
  // their recurrence.
  std::vector<double> g(static_cast<size_t>(d) + 1, 0.0);
  std::vector<double> pPrev, p = {1.0};
  g[0] = meanY + c[0];
  for (int32_t k = 0; k < d; ++k) {
    std::vector<double> next(p.size() + 1, 0.0);
    for (size_t j = 0; j < p.size(); ++j) {
      next[j + 1] += p[j];
      next[j] -= basis.Alpha[static_cast<size_t>(k)] * p[j];
    }
    for (size_t j = 0; j < pPrev.size(); ++j)
      next[j] -= basis.Beta[static_cast<size_t>(k)] * pPrev[j];
    pPrev = std::move(p);
    p = std::move(next);
    for (size_t j = 0; j < p.size(); ++j) g[j] += c[static_cast<size_t>(k) + 1] * p[j];
  }
  // Coefficients on unscaled x: z = (x - meanX) / sdX, expanded binomially.
  fit.Coefs.assign(static_cast<size_t>(m) + 1, 0.0);
  for (int32_t q = 0; q <= d; ++q) {
    const double cq = g[static_cast<size_t>(q)] / std::pow(sdX, q);
    double binom = 1.0;  // C(q, j)
    for (int32_t j = 0; j <= q; ++j) {
      if (j > 0) binom = binom * (q - j + 1) / j;
      fit.Coefs[static_cast<size_t>(j)] += cq * binom * std::pow(-meanX, q - j);
    }
  }
  return fit;
}

void TSensitivityItem::SetNames(const std::vector<std::string>& loadedNames,
                                const std::vector<int32_t>& vector) {
  Names.clear();
  for (int32_t v : vector) Names.push_back(loadedNames[static_cast<size_t>(v)]);
}

std::vector<double> TSensitivityItem::GetResults() {
  ResultVector = {MeanPredicted,  MeanBase,           VarPredicted,      VarBase,
                  Correlation,    RankCorrelation,    RegressionCoef,    CorrRatio,
                  LinearityIndex, PartialCorrelation, PartialRegression, MultipleCorrelation};
  return ResultVector;
}

void TSensitivityItem::CalcConditionalExpectation(const double* y, const double* x, int32_t usable,
                                                  int32_t groups) {
  const int64_t n = SampleCount;
  std::vector<double> xs(x, x + n), ys(y, y + n);
  if (n > 0) IntroSort(xs.data(), ys.data(), n - 1);
  CondExpX.clear();
  CondExpY.clear();
  if (n <= 0 || BaseDistinct <= 0) return;
  if (BaseDistinct == 1) {
    double s = 0.0;
    for (int64_t i = 0; i < n; ++i) s += ys[static_cast<size_t>(i)];
    CondExpY.push_back(s / static_cast<double>(n));
    CondExpX.push_back(xs[0]);
  } else if (BaseDistinct > DiscreteThreshold) {
    if (groups <= 0 || usable <= 0) return;
    const int64_t g = usable / groups;
    for (int32_t k = 0; k < groups; ++k) {
      double sx = 0.0, sy = 0.0;
      for (int64_t pos = k * g; pos < (k + 1) * g; ++pos) {
        sx += xs[static_cast<size_t>(pos)];
        sy += ys[static_cast<size_t>(pos)];
      }
      CondExpX.push_back(sx / static_cast<double>(g));
      CondExpY.push_back(sy / static_cast<double>(g));
    }
  } else {
    int64_t pos = 0;
    while (pos < n) {
      const double value = xs[static_cast<size_t>(pos)];
      double sy = 0.0;
      int64_t count = 0;
      while (pos < n && xs[static_cast<size_t>(pos)] == value) {
        sy += ys[static_cast<size_t>(pos)];
        ++pos;
        ++count;
      }
      CondExpX.push_back(value);
      CondExpY.push_back(sy / static_cast<double>(count));
    }
  }
}

void TSensitivityItem::SetConditionalExpectation(const double* y, int64_t n,
                                                 const TConditionalPoints& points) {
  std::vector<double> sums(points.X.size(), 0.0);
  for (int64_t i = 0; i < n; ++i) {
    const int32_t k = points.PointOf[static_cast<size_t>(i)];
    if (k >= 0) sums[static_cast<size_t>(k)] += y[i];
  }
  CondExpX = points.X;
  CondExpY.resize(sums.size());
  for (size_t k = 0; k < sums.size(); ++k)
    CondExpY[k] = sums[k] / static_cast<double>(points.Counts[k]);
}

void TSensitivityItem::SetRankCorrelation(int64_t n, const TMidRanks& ranksY,
                                          const TMidRanks& ranksX, TInt128 d4) {
  TiesPredicted = static_cast<float>(ranksY.TieSum());
  RunsPredicted = ranksY.Runs;
  TiesBase = static_cast<float>(ranksX.TieSum());
  RunsBase = ranksX.Runs;
  RankCorrelation = static_cast<float>(SpearmanFromSums(n, ranksY.TieSum12, ranksX.TieSum12, d4));
}

void TSensitivityItem::SetRegressionCoef() {
  if (VarBase > 0)
    RegressionCoef = static_cast<float>(std::sqrt(static_cast<double>(VarPredicted)) *
                                        static_cast<double>(Correlation) /
                                        std::sqrt(static_cast<double>(VarBase)));
  else
    RegressionCoef = 0;
}

void TSensitivityItem::CalcRankCorrelation(const double* y, const double* x, int64_t n) {
  TMidRanks ry, rx;
  CalcMidRanks(y, n, ry);
  CalcMidRanks(x, n, rx);
  SetRankCorrelation(n, ry, rx,
                     SumSquaredRankDifferences4(ry.TwiceRanks.data(), rx.TwiceRanks.data(), n));
  SetRegressionCoef();
}

void TSensitivityItem::SetSameVariableRatio() {
  ScalingFactor = 1;
  FitStatus = FitSolved;
  CorrRatio = 1;
  PolyCoefs = {static_cast<double>(MeanPredicted) -
                   static_cast<double>(RegressionCoef) * static_cast<double>(MeanBase),
               static_cast<double>(RegressionCoef)};
}

void TSensitivityItem::SetCorrelationRatio(const TCorrRatioFit& fit, float scaling) {
  ScalingFactor = scaling;
  FitStatus = fit.Status;
  CorrRatio = static_cast<float>(fit.CorrRatio);
  PolyCoefs = fit.Coefs;
}

void TSensitivityItem::CalcCorrelationRatio(const double* y, const double* x, int64_t n,
                                            bool sameVariable, int32_t degree, double meanX,
                                            double varX, double meanY, double varY,
                                            const double* cachedZ,
                                            const TOrthogonalBasis* cachedBasis) {
  ScalingFactor = 1;
  if (sameVariable) {
    SetSameVariableRatio();
  } else if (n - 1 < degree) {
    FitStatus = FitTooFewSamples;
    CorrRatio = 0;
    PolyCoefs.assign(static_cast<size_t>(degree) + 1, 0.0);
  } else if (!(varX > 0.0)) {
    // A constant base variable explains nothing; its fit is reported solved.
    FitStatus = FitSolved;
    CorrRatio = 0;
    PolyCoefs.assign(static_cast<size_t>(degree) + 1, 0.0);
    PolyCoefs[0] = meanY;
  } else {
    const double sd = std::sqrt(varX);
    std::vector<double> ownZ, sums;
    TOrthogonalBasis ownBasis;
    const double* z = cachedZ;
    if (z == nullptr) {
      ownZ.resize(static_cast<size_t>(n));
      for (int64_t i = 0; i < n; ++i) ownZ[static_cast<size_t>(i)] = StandardScore(x[i], meanX, sd);
      z = ownZ.data();
    }
    const TOrthogonalBasis* basis = cachedBasis;
    if (basis == nullptr || basis->Requested != degree) {
      BuildOrthogonalBasis(z, n, degree, ownBasis);
      ownBasis.UnscaledSingular = UnscaledFitSingular(x, n, degree);
      basis = &ownBasis;
    }
    OrthogonalProjections(z, y, meanY, n, *basis, sums);
    const double sst = varY * static_cast<double>(n - 1);
    SetCorrelationRatio(FitCorrelationRatio(degree, *basis, sums, sst, meanX, sd, meanY),
                        basis->UnscaledSingular ? static_cast<float>(1.0 / sd) : 1.0f);
  }
  if (CorrRatio >= 0 && CorrRatio <= 1)
    LinearityIndex = CorrRatio - Correlation * Correlation;
  else
    LinearityIndex = 0;
}

bool UnscaledFitSingular(const double* x, int64_t n, int32_t m) {
  if (n - 1 < m || m < 1) return false;
  TSquareMatrix A;
  std::vector<double> b;
  const int32_t saved = GetFitStatus();
  const bool singular = PolyFit(x, x, n, m, A, b) == FitSingular;
  SetFitStatus(saved);
  return singular;
}

void TSensitivityItem::CalcPartialCoefficients(double cXX, double cYY, double cYX) {
  CalcPartialCoefficients(cXX, cYY, cYX, static_cast<double>(CorrDeterminant));
}

void TSensitivityItem::CalcPartialCoefficients(double cXX, double cYY, double cYX,
                                               double determinant) {
  if (BasePos == 0) {
    // X is Y: the three cofactors are one and the same, and the formulas
    // below would give -1. A variable's partial coefficients with itself are
    // +1, under the same conditions as the formulas.
    PartialCorrelation = cYY * cXX > 0 ? 1.0f : 0.0f;
    PartialRegression = (cYY != 0 && VarBase > 0) ? 1.0f : 0.0f;
  } else if (PredictedIsExplanatory) {
    PartialCorrelation = 0;
    PartialRegression = 0;
  } else {
    PartialCorrelation = cYY * cXX > 0 ? static_cast<float>(-cYX / std::sqrt(cYY * cXX)) : 0.0f;
    PartialRegression = (cYY != 0 && VarBase > 0)
                            ? static_cast<float>(std::sqrt(static_cast<double>(VarPredicted) /
                                                           static_cast<double>(VarBase)) *
                                                 (-cYX / cYY))
                            : 0.0f;
  }
  double ratio = cYY != 0 ? determinant / cYY : 2.0;
  if (ratio < 0) ratio = 0;  // a principal minor is never negative but for rounding
  MultipleCorrelation = (cYY != 0 && ratio <= 1) ? static_cast<float>(std::sqrt(1 - ratio)) : 0.0f;
}

}  // namespace tesvane
