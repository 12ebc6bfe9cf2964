// The structure samplers against mathematics: correlations of normal scores,
// Spearman correlations of the conditional pseudo-observations, and
// independence when every value is 0. Fixed seeds; the tolerance 4/sqrt(n)
// is four standard errors of a sample correlation of n pairs (at most
// 1/sqrt(n) for both Pearson and Spearman coefficients).
#include "dependence/vine_samplers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "dependence/copulas.h"
#include "dependence/generator.h"
#include "dependence/partial_peeling.h"
#include "distributions/special_functions.h"

namespace tesmira {
namespace {

constexpr int kSamples = 20000;
const double kTolerance = 4.0 / std::sqrt(double(kSamples));
const double kPi = 3.14159265358979323846;

double Pearson(const std::vector<double>& x, const std::vector<double>& y) {
  const double n = double(x.size());
  const double mx = std::accumulate(x.begin(), x.end(), 0.0) / n;
  const double my = std::accumulate(y.begin(), y.end(), 0.0) / n;
  double sxy = 0, sxx = 0, syy = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    sxy += (x[i] - mx) * (y[i] - my);
    sxx += (x[i] - mx) * (x[i] - mx);
    syy += (y[i] - my) * (y[i] - my);
  }
  return sxy / std::sqrt(sxx * syy);
}

std::vector<double> Ranks(const std::vector<double>& x) {
  std::vector<std::size_t> order(x.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&x](std::size_t a, std::size_t b) { return x[a] < x[b]; });
  std::vector<double> r(x.size());
  for (std::size_t k = 0; k < order.size(); ++k) r[order[k]] = double(k);
  return r;
}

double Spearman(const std::vector<double>& x, const std::vector<double>& y) {
  return Pearson(Ranks(x), Ranks(y));
}

// Columns of kSamples draws of a sampler over n positions; the root's
// uniform is drawn from the same stream before each sample, as the run does.
template <typename Sampler>
std::vector<std::vector<double>> Draw(const Sampler& sampler, int n, int32_t seed) {
  std::vector<std::vector<double>> columns(static_cast<std::size_t>(n),
                                           std::vector<double>(kSamples));
  std::vector<double> u(static_cast<std::size_t>(n), 0.0);
  int32_t idum = -seed;
  NextUniform(idum);
  for (int s = 0; s < kSamples; ++s) {
    u[0] = NextUniform(idum);
    sampler.Sample(u.data(), idum);
    for (int k = 0; k < n; ++k) columns[k][s] = u[k];
  }
  return columns;
}

std::vector<double> NormalScores(const std::vector<double>& u) {
  std::vector<double> z(u.size());
  for (std::size_t i = 0; i < u.size(); ++i) z[i] = double(InverseNormal(u[i]));
  return z;
}

std::vector<int> Positions(int n) {
  std::vector<int> p(static_cast<std::size_t>(n));
  std::iota(p.begin(), p.end(), 0);
  return p;
}

TEST(NormalCdfSeries, ExactValuesFromTheCentreToTheTails) {
  // clang-format off
  const struct { double x, p; } cases[] = {
      {0.0, 0.5},
      {1.0, 0.8413447460685429}, {-1.0, 0.15865525393145707},
      {3.0, 0.9986501019683699}, {-3.0, 0.0013498980316301035},
      {-5.0, 2.866515718791939e-07}, {-8.0, 6.220960574271784e-16},
      {-12.0, 1.7764821120776e-33}, {9.0, 1.0},
      {-40.0, 0.0}, {40.0, 1.0}, {-1e300, 0.0}, {1e300, 1.0},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_NEAR(NormalCdfSeries(c.x), c.p, 1e-15) << c.x;
  EXPECT_GE(NormalCdfSeries(-39.0), 0.0);
  EXPECT_LE(NormalCdfSeries(39.0), 1.0);
}

TEST(NormalBeliefNet, DVineGivesThePeeledNormalScoreCorrelations) {
  // Rank correlations r12 = r23 = 0.5, r13|2 = 0: rho = 2 sin(pi r / 6) on
  // every level, so rho12 = rho23 = 0.5176 and rho13 = rho12 rho23 = 0.2679.
  const double rho = 2.0 * std::sin(kPi * 0.5 / 6.0);
  TCorrRows dvine = {{0, rho, 0.0}, {0, rho}, {0}};
  TCorrRows r;
  ASSERT_TRUE(MatrixFromDVine(dvine, r));
  EXPECT_NEAR(r[0][2], rho * rho, 1e-12);
  TNormalBBN net;
  ASSERT_TRUE(net.Build(Positions(3), r));
  const auto cols = Draw(net, 3, 11);
  const auto z0 = NormalScores(cols[0]), z1 = NormalScores(cols[1]), z2 = NormalScores(cols[2]);
  EXPECT_NEAR(Pearson(z0, z2), 0.2679, kTolerance);
  EXPECT_NEAR(Pearson(z0, z1), 0.5176, kTolerance);
  EXPECT_NEAR(Pearson(z1, z2), 0.5176, kTolerance);
}

TEST(NormalBeliefNet, RefusesAMatrixThatIsNotPositiveDefinite) {
  TNormalBBN net;
  EXPECT_FALSE(net.Build(Positions(3), {{1, 0.9, 0.9}, {0.9, 1, -0.9}, {0.9, -0.9, 1}}));
}

TEST(NormalBeliefNet, ZeroUniformNeverReachesTheQuantile) {
  TNormalBBN net;
  ASSERT_TRUE(net.Build(Positions(2), {{1, 0.5}, {0.5, 1}}));
  std::vector<double> u = {0.0, 0.0};
  int32_t idum = -3;
  net.Sample(u.data(), idum);
  EXPECT_TRUE(std::isfinite(u[1]));
  EXPECT_NEAR(u[0], 0x1p-33, 1e-12);  // the root's round trip through its score
}

// The pseudo-observations h(x1 | x2) and h(x3 | x2) of a three-node
// structure with centre position `centre` have the conditional copula, whose
// Spearman correlation is the conditional rank correlation.
void ExpectConditionalSpearman(const std::vector<std::vector<double>>& c, int copula, int centre,
                               int a, int b, double ra, double rb, double conditional) {
  const double pa = CopulaParameter(copula, ra), pb = CopulaParameter(copula, rb);
  std::vector<double> ha(kSamples), hb(kSamples);
  for (int s = 0; s < kSamples; ++s) {
    ha[s] = ConditionalCdf(copula, pa, c[centre][s], c[a][s]);
    hb[s] = ConditionalCdf(copula, pb, c[centre][s], c[b][s]);
  }
  EXPECT_NEAR(Spearman(c[centre], c[a]), ra, kTolerance);
  EXPECT_NEAR(Spearman(c[centre], c[b]), rb, kTolerance);
  EXPECT_NEAR(Spearman(ha, hb), conditional, kTolerance);
}

TEST(DVineSampler, FastFrankHAgreesWithTheCopula) {
  const double grid[] = {1e-12, 1e-6, 0.01, 0.2, 0.5, 0.7, 0.99, 1 - 1e-9};
  for (double theta : {-200.0, -30.0, -5.0, -0.5, 1e-4, 0.5, 5.0, 30.0, 200.0})
    for (double u : grid)
      for (double v : grid)
        EXPECT_NEAR(FrankHFast(v, u, theta), FrankH(v, u, theta), 1e-13)
            << theta << " " << u << " " << v;
}

TEST(DVineSampler, FrankLinksReachTheirConditionalRankCorrelation) {
  TDVineSampler sampler;
  sampler.Build(CopulaFrank, Positions(3), {{0, 0.7, 0.5}, {0, 0.7}, {0}});
  ExpectConditionalSpearman(Draw(sampler, 3, 5), CopulaFrank, 1, 0, 2, 0.7, 0.7, 0.5);
}

TEST(CanonicalVineSampler, ClaytonLinksReachTheirConditionalRankCorrelation) {
  // Position 1 holds rho(0,1); position 2 holds rho(0,2) and rho(1,2 | 0).
  TCanonicalVineSampler sampler;
  sampler.Build(5, Positions(3), {{0}, {0, 0.7}, {0, 0.6, 0.5}});
  ExpectConditionalSpearman(Draw(sampler, 3, 9), 5, 0, 1, 2, 0.7, 0.6, 0.5);
}

TEST(VineSamplers, ZeroValuesGiveIndependentUniforms) {
  const int n = 5;
  TCorrRows zeros(n, std::vector<double>(n, 0.0));
  TDVineSampler dvine;
  dvine.Build(CopulaFrank, Positions(n), zeros);
  TCanonicalVineSampler canonical;
  canonical.Build(9, Positions(n), zeros);
  const double meanTolerance = 4.0 * std::sqrt(1.0 / 12.0 / kSamples);
  for (const auto& cols : {Draw(dvine, n, 17), Draw(canonical, n, 17)}) {
    for (int a = 0; a < n; ++a) {
      const double mean = std::accumulate(cols[a].begin(), cols[a].end(), 0.0) / kSamples;
      EXPECT_NEAR(mean, 0.5, meanTolerance) << a;
      for (int b = a + 1; b < n; ++b)
        EXPECT_NEAR(Spearman(cols[a], cols[b]), 0.0, kTolerance) << a << "," << b;
    }
  }
}

TEST(VineSamplers, CopulasWithoutAnInverseGiveTheFixedValues) {
  // The D-vine sampler has no inverse for the minimum-information and normal
  // types (0.5), the canonical sampler none for them either (0).
  TCorrRows values(3, std::vector<double>(3, 0.3));
  TDVineSampler dvine;
  dvine.Build(CopulaNormal, Positions(3), values);
  TCanonicalVineSampler canonical;
  canonical.Build(CopulaMinimumInformation, Positions(3), values);
  std::vector<double> u = {0.3, 0, 0};
  int32_t idum = -1;
  dvine.Sample(u.data(), idum);
  EXPECT_EQ(u[1], 0.5);
  EXPECT_EQ(u[2], 0.5);
  canonical.Sample(u.data(), idum);
  EXPECT_EQ(u[1], 0.0);
  EXPECT_EQ(u[0], 0.3);
}

}  // namespace
}  // namespace tesmira
