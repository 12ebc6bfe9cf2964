// A dependence tree simulated with a fixed seed reaches each link's rank
// correlation and each variable's marginal distribution.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <vector>

#include "rank_statistics.h"
#include "simulation_fixture.h"

using example::AddVariable;
using example::Link;

namespace {

template <class Cdf>
double KolmogorovSmirnov(std::vector<float> x, Cdf cdf) {
  std::sort(x.begin(), x.end());
  double n = static_cast<double>(x.size()), d = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    double f = cdf(static_cast<double>(x[i]));
    d = std::max({d, std::fabs(f - i / n), std::fabs((i + 1) / n - f)});
  }
  return d;
}

double Phi(double z) { return 0.5 * std::erfc(-z / std::sqrt(2.0)); }

// Clayton and Frank copulas C(u, w) and their conditional distributions
// h(u | w) = dC/dw, for the rank correlation that a chain of two arcs gives.
double ClaytonC(double u, double w, double t) {
  return std::pow(std::pow(u, -t) + std::pow(w, -t) - 1, -1 / t);
}
double ClaytonH(double u, double w, double t) {
  return std::pow(w, -t - 1) * std::pow(std::pow(u, -t) + std::pow(w, -t) - 1, -1 / t - 1);
}
double FrankC(double u, double w, double t) {
  return -std::log1p(std::expm1(-t * u) * std::expm1(-t * w) / std::expm1(-t)) / t;
}
double FrankH(double u, double w, double t) {
  return std::exp(-t * w) * std::expm1(-t * u) /
         (std::expm1(-t) + std::expm1(-t * u) * std::expm1(-t * w));
}

using CopulaFn = double (*)(double, double, double);
constexpr int kGrid = 200;  // midpoint rule; its error is far below the sampling error

// Spearman's rho of a copula, 12 * integral of C - 3.
double CopulaRho(CopulaFn c, double t) {
  double s = 0;
  for (int i = 0; i < kGrid; ++i)
    for (int j = 0; j < kGrid; ++j) s += c((i + 0.5) / kGrid, (j + 0.5) / kGrid, t);
  return 12 * s / kGrid / kGrid - 3;
}

// The parameter in [lo, hi] at which the copula's rho is r (rho grows with it).
double ThetaFor(CopulaFn c, double r, double lo, double hi) {
  for (int k = 0; k < 40; ++k) {
    double mid = (lo + hi) / 2;
    (CopulaRho(c, mid) < r ? lo : hi) = mid;
  }
  return (lo + hi) / 2;
}

// E[U | W = w] = 1 - integral of h(u | w) du.
double ConditionalMean(CopulaFn h, double w, double t) {
  double s = 0;
  for (int i = 0; i < kGrid; ++i) s += h((i + 0.5) / kGrid, w, t);
  return 1 - s / kGrid;
}

// Rank correlation of X and Y when both depend on W only, X by a Clayton arc
// of rank correlation rx and Y by a Frank arc of ry:
// 12 * E[E[U_X | W] E[U_Y | W]] - 3.
double ClaytonFrankChainRho(double rx, double ry) {
  const double tx = ThetaFor(ClaytonC, rx, 1e-6, 30);
  const double ty = ThetaFor(FrankC, ry, -40, -1e-6);
  double s = 0;
  for (int i = 0; i < kGrid; ++i) {
    const double w = (i + 0.5) / kGrid;
    s += ConditionalMean(ClaytonH, w, tx) * ConditionalMean(FrankH, w, ty);
  }
  return 12 * s / kGrid - 3;
}

using TreeStatistics = SimulationTest;

TEST_F(TreeStatistics, LinksReachTheirRankCorrelationsAndMarginalsHold) {
  // n (Normal) ─ l (LogNormal, normal copula 0.8) ─ b (Beta, Gumbel 0.3)
  //           └ u (Uniform, Clayton 0.5) ─ v (Uniform, Frank -0.7)
  AddVariable("n", DistNormal, 10, 2);
  AddVariable("l", DistLogNormal, 1, 3);
  AddVariable("b", DistBeta, 2, 3, 0, 1);
  AddVariable("u", DistUniform, -1, 1);
  AddVariable("v", DistUniform, 0, 1);
  ASSERT_TRUE(Link("n", "l", 0.8, CopulaNormal));
  ASSERT_TRUE(Link("l", "b", 0.3, CopulaGumbel));
  ASSERT_TRUE(Link("n", "u", 0.5, CopulaClayton));
  ASSERT_TRUE(Link("u", "v", -0.7, CopulaFrank));
  // The binary sample store is kept: records of 5 singles, one per accepted sample.
  TRunRequest r = Request(500, 2024, RunWriteBinary);
  r.resolution = 10000;
  ASSERT_EQ(Run_simul(&r), 1) << Message(r);

  char ext[256];
  FileKindExtension(FileKindSampleStore, ext);
  std::string raw = ReadAll(Path(std::string("model") + ext));
  ASSERT_EQ(raw.size(), 50000u * 5 * sizeof(float));
  std::vector<std::vector<float>> c(5, std::vector<float>(50000));
  for (std::size_t i = 0; i < 50000; ++i)
    for (std::size_t k = 0; k < 5; ++k) std::memcpy(&c[k][i], raw.data() + (i * 5 + k) * 4, 4);
  // Input positions follow the node table: n, l, b, u, v.
  const double n = 50000;
  // Standard error of Spearman's rho is below 1/sqrt(n - 1) = 0.0045;
  // the tolerance is 5 of them.
  const double tol = 5 / std::sqrt(n - 1);
  EXPECT_NEAR(Spearman(c[0], c[1]), 0.8, tol);
  EXPECT_NEAR(Spearman(c[1], c[2]), 0.3, tol);
  EXPECT_NEAR(Spearman(c[0], c[3]), 0.5, tol);
  EXPECT_NEAR(Spearman(c[3], c[4]), -0.7, tol);
  // n and v are independent given u, so their correlation is that of the chain.
  EXPECT_NEAR(Spearman(c[0], c[4]), ClaytonFrankChainRho(0.5, -0.7), tol);

  // Kolmogorov-Smirnov at the 0.1% level: 1.95 / sqrt(n).
  const double dmax = 1.95 / std::sqrt(n);
  const double sigmaL = std::log(3.0) / 1.6448536269514722;
  EXPECT_LT(KolmogorovSmirnov(c[0], [](double x) { return Phi((x - 10) / 2); }), dmax);
  EXPECT_LT(
      KolmogorovSmirnov(c[1], [&](double x) { return x <= 0 ? 0 : Phi(std::log(x) / sigmaL); }),
      dmax);
  EXPECT_LT(KolmogorovSmirnov(c[2],
                              [](double x) {
                                x = std::clamp(x, 0.0, 1.0);
                                return x * x * (6 - 8 * x + 3 * x * x);  // Beta(2, 3)
                              }),
            dmax);
  EXPECT_LT(KolmogorovSmirnov(c[3], [](double x) { return std::clamp((x + 1) / 2, 0.0, 1.0); }),
            dmax);
  EXPECT_LT(KolmogorovSmirnov(c[4], [](double x) { return std::clamp(x, 0.0, 1.0); }), dmax);
}

}  // namespace
