#include "dependence/copula_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "dependence/generator.h"
#include "model/store.h"
#include "tesmira/model.h"
#include "tesmira/structures.h"

namespace tesmira {
namespace {

TEST(CopulaTables, CorrelationResolution) {
  const struct {
    double r;
    int32_t expected;
  } cases[] = {{0.3, 20},    {0.35, 20},    {0.5, 20},     {0.25, 20},     {0.05, 20},
               {0.125, 200}, {-0.125, 200}, {0.123, 1000}, {0.999, 1000},  {0.01, 100},
               {0.015, 200}, {0.001, 1000}, {0.005, 200},  {0.0625, 1000}, {0.0, 0},
               {1.0, 0},     {-1.0, 0},     {1.5, 0},      {0.9996, 20}};
  for (const auto& c : cases) EXPECT_EQ(CorrelationResolution(c.r), c.expected) << c.r;
  const double zeros[] = {0.0, 0.0};
  EXPECT_EQ(GridResolutionOf(zeros, 2), 20);
  EXPECT_EQ(GridResolutionOf(nullptr, 0), 20);
  const double mixed[] = {0.3, -0.125, 0.0, 1.0};
  EXPECT_EQ(GridResolutionOf(mixed, 4), 200);
}

TEST(CopulaTables, GridResolutionOfTheModel) {
  ASSERT_NE(Init_Model_data(), nullptr);
  EXPECT_EQ(GridResolution(), 20);  // no nodes
  const struct {
    const char* name;
    double r;
  } nodes[] = {{"A", 0.35}, {"B", -0.125}, {"C", 0.0}};
  for (const auto& n : nodes) {
    void* out = nullptr;
    int32_t size = 0;
    const int32_t k = Create_dep_node(nullptr, &out, &size);
    ASSERT_GT(k, 0);
    SetNodeVariableName(out, n.name);
    SetNodeCorrelation(k, n.r);
  }
  EXPECT_EQ(GridResolution(), 200);
  End_model_data();
}

double RowSum(int i) {
  double s = 0;
  for (int j = 0; j <= 101; ++j) s += MinInfoMixingProbability(i, j);
  return s;
}

TEST(CopulaTables, MixingTableShape) {
  EXPECT_EQ(MinInfoMixingProbability(1, 1), 0.8999);
  EXPECT_EQ(MinInfoMixingProbability(10, 1), 0.1771);
  for (int i = 15; i <= 19; ++i) EXPECT_EQ(MinInfoMixingProbability(i, 1), 0.0) << i;
  int nonzero = 0, largest = 0;
  for (int j = 1; j <= 101; ++j) {
    if (MinInfoMixingProbability(19, j) > 0) ++nonzero;
    if (MinInfoMixingProbability(19, j) > MinInfoMixingProbability(19, largest)) largest = j;
  }
  EXPECT_EQ(nonzero, 38);
  EXPECT_EQ(largest, 101);
  for (int i = 1; i <= 19; ++i) {
    EXPECT_EQ(MinInfoMixingProbability(i, 0), 0.0);
    EXPECT_NEAR(RowSum(i), 1.0, 1e-9) << i;
    // Each row's mean band rank correlation g + g^2 - g^3 is its level 0.05 i.
    double mean = 0;
    for (int j = 1; j <= 101; ++j) {
      const double g = (j - 1) / 100.0;
      mean += MinInfoMixingProbability(i, j) * (g + g * g - g * g * g);
    }
    EXPECT_NEAR(mean, 0.05 * i, 1e-5) << i;
  }
}

double RowCdf(int i, int c) {
  double s = 0;
  for (int j = 0; j <= c; ++j) s += MinInfoMixingProbability(i, j);
  return s / RowSum(i);
}

TEST(CopulaTables, MixingCdfInterpolatesBetweenRows) {
  for (int c : {0, 1, 30, 70, 100, 101}) {
    // e = 1: the row of the exact level.
    EXPECT_NEAR(MixingCdf(20, 14, c), RowCdf(14, c), 1e-12) << c;
    // N = 200: level 15 lies halfway between the rows of 0.05 and 0.10.
    EXPECT_NEAR(MixingCdf(200, 15, c), 0.5 * RowCdf(1, c) + 0.5 * RowCdf(2, c), 1e-12) << c;
    EXPECT_NEAR(MixingCdf(200, 20, c), RowCdf(2, c), 1e-12) << c;
    // Below the first row: independence (all mass at parameter 0) is the lower level.
    EXPECT_NEAR(MixingCdf(200, 5, c), 0.5 * (c > 0 ? 1.0 : 0.0) + 0.5 * RowCdf(1, c), 1e-12) << c;
    // Above the last row: the upper level has all its mass at parameter 1.
    EXPECT_NEAR(MixingCdf(200, 195, c), 0.5 * RowCdf(19, c) + 0.5 * (c > 100 ? 1.0 : 0.0), 1e-12)
        << c;
  }
  EXPECT_EQ(MixingCdf(20, 7, 0), 0.0);
  EXPECT_EQ(MixingCdf(20, 7, 101), 1.0);
}

TEST(CopulaTables, BandParametersFollowTheMixingRow) {
  int32_t idum = -11;
  NextUniform(idum);
  const int n = 20000;
  int atZero = 0;
  double meanRank = 0;
  for (int i = 0; i < n; ++i) {
    const double g = SampleBandParameter(20, 10);
    ASSERT_GE(g, 0.0);
    ASSERT_LE(g, 1.0);
    ASSERT_EQ(std::round(g * 100) / 100, g);
    if (g == 0.0) ++atZero;
    meanRank += g + g * g - g * g * g;
  }
  const double p0 = 0.1771;
  EXPECT_NEAR(atZero / double(n), p0, 5 * std::sqrt(p0 * (1 - p0) / n));
  EXPECT_NEAR(meanRank / n, 0.5, 5 * 0.4 / std::sqrt(double(n)));
}

TEST(CopulaTables, MinimumInformationEdges) {
  // |r| below 1/(2N): the next uniform of the stream.
  int32_t idum = -3;
  NextUniform(idum);
  const double expected = NextUniform(idum);
  idum = -3;
  NextUniform(idum);
  EXPECT_EQ(SampleMinInfo(20, 0.024, 0.3), expected);
  EXPECT_EQ(SampleMinInfo(20, 1.0, 0.3), 0.3);
  EXPECT_EQ(SampleMinInfo(20, -1.0, 0.3), 0.7);
  EXPECT_EQ(SampleMinInfo(20, 1.2, 0.3), 0.0);
  EXPECT_EQ(SampleMinInfo(2000, -1.0, 0.25), 0.75);
}

TEST(CopulaTables, ReflectedBand) {
  int32_t idum = -8;
  NextUniform(idum);
  const int n = 20000;
  double sum = 0;
  int low = 0;
  for (int i = 0; i < n; ++i) {
    double g = 0.0;
    const double v = SampleReflectedBand(g, 0.9);  // band of half-width 1: uniform
    ASSERT_GE(v, 0.0);
    ASSERT_LE(v, 1.0);
    ASSERT_GE(g, 0.0);  // g now holds the drawn uniform
    ASSERT_LT(g, 1.0);
    sum += v;
    if (v < 0.1) ++low;
  }
  EXPECT_NEAR(sum / n, 0.5, 5 * std::sqrt(1.0 / 12 / n));
  EXPECT_NEAR(low / double(n), 0.1, 5 * std::sqrt(0.09 / n));
  // The drawn uniform is left in g, and the band is reflected at the edges.
  idum = -8;
  NextUniform(idum);
  const double first = NextUniform(idum);
  idum = -8;
  NextUniform(idum);
  double g = 0.6;
  const double v = SampleReflectedBand(g, 0.1);  // band [-0.3, 0.5]
  EXPECT_EQ(g, first);
  const double raw = -0.3 + first * 0.8;
  EXPECT_NEAR(v, raw < 0 ? -raw : raw, 1e-15);
}

TEST(CopulaTables, OldBandTable) {
  EXPECT_FALSE(BuildOldBandTable(0));
  EXPECT_FALSE(BuildOldBandTable(2001));
  for (int32_t N : {20, 100, 2000}) {
    ASSERT_TRUE(BuildOldBandTable(N));
    EXPECT_EQ(OldBandEntry(N), 1.0);
    EXPECT_EQ(OldBandEntry(0), 0.0);
    EXPECT_EQ(OldBandEntry(N + 1), 0.0);
    for (int32_t k = 1; k < N; ++k) {
      const double x = OldBandEntry(k);
      ASSERT_GT(x, 0.0);
      ASSERT_LT(x, 1.0);
      ASSERT_NEAR(x + x * x - x * x * x, double(k) / N, 1e-9) << N << " " << k;
    }
  }
  FreeOldBandTable();
  EXPECT_EQ(OldBandEntry(1), 0.0);
  EXPECT_NEAR(SolveBandLevel(50, 0.625), 0.5, 1e-12);
}

std::vector<double> Ranks(const std::vector<double>& x) {
  std::vector<int> order(x.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](int a, int b) { return x[a] < x[b]; });
  std::vector<double> rank(x.size());
  for (size_t i = 0; i < order.size(); ++i) rank[order[i]] = double(i);
  return rank;
}

double Spearman(const std::vector<double>& x, const std::vector<double>& y) {
  const auto rx = Ranks(x), ry = Ranks(y);
  const double n = double(x.size()), mean = (n - 1) / 2;
  double sxy = 0, sxx = 0, syy = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    sxy += (rx[i] - mean) * (ry[i] - mean);
    sxx += (rx[i] - mean) * (rx[i] - mean);
    syy += (ry[i] - mean) * (ry[i] - mean);
  }
  return sxy / std::sqrt(sxx * syy);
}

// The old band at level k/N has the rank correlation k/N exactly; the
// minimum-information copula on a finer grid interpolates its rows, so its
// rank correlation is the level too. Tolerance: five times (1 - rho^2)/sqrt(n).
TEST(CopulaTables, SamplersReachTheirRankCorrelation) {
  const int n = 30000;
  ASSERT_TRUE(BuildOldBandTable(20));
  for (double r : {0.7, -0.7, 0.35}) {
    for (int sampler = 0; sampler < 2; ++sampler) {
      int32_t idum = -21;
      NextUniform(idum);
      std::vector<double> u(n), v(n);
      for (int i = 0; i < n; ++i) {
        u[i] = NextUniform(idum);
        v[i] = sampler == 0 ? SampleOldBand(r, u[i]) : SampleMinInfo(200, r, u[i]);
      }
      EXPECT_NEAR(Spearman(u, v), r, 5 * (1 - r * r) / std::sqrt(double(n)))
          << "sampler " << sampler << " r " << r;
    }
  }
  FreeOldBandTable();
}

}  // namespace
}  // namespace tesmira
