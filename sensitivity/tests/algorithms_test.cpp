// Determinant and cofactors, polynomial fit, sort.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "correlation.h"
#include "intro_sort.h"
#include "poly_fit.h"
#include "ranks.h"

namespace tesvane {
namespace {

TSquareMatrix Matrix(std::initializer_list<std::initializer_list<double>> rows) {
  TSquareMatrix m(static_cast<int32_t>(rows.size()));
  int32_t i = 0;
  for (const auto& r : rows) {
    int32_t j = 0;
    for (double v : r) m(i, j++) = v;
    ++i;
  }
  return m;
}

TEST(Correlation, ConstantVariableAndIdenticalVariables) {
  std::vector<std::vector<double>> samples = {{1, 2, 3, 4, 5}, {7, 7, 7, 7, 7}, {1, 2, 3, 4, 5}};
  TSquareMatrix r;
  std::vector<double> variances, means;
  CorrelationMatrix(5, {0, 1, 2}, samples, r, variances, means);
  EXPECT_EQ(r(0, 1), 0.0);
  EXPECT_EQ(r(1, 1), 1.0);
  EXPECT_NEAR(r(0, 2), 1.0, 1e-15);
  EXPECT_EQ(variances[1], 0.0);
  EXPECT_DOUBLE_EQ(variances[0], 2.5);
  EXPECT_DOUBLE_EQ(means[1], 7.0);
  TSquareMatrix pair;
  CorrelationMatrix(5, {0, 2}, samples, pair, variances, means);
  EXPECT_NEAR(Determinant(pair), 0.0, 1e-15);
  EXPECT_THROW(CorrelationMatrix(1, {0}, samples, r, variances, means), ESensitivityError);
}

TEST(Correlation, VarianceIsStableForOffsetData) {
  std::vector<double> x;
  for (int i = 0; i < 1000; ++i) x.push_back(1e9 + (i % 2));
  double mean, variance;
  MeanAndVariance(x.data(), 1000, mean, variance);
  EXPECT_NEAR(variance, 0.25 * 1000 / 999, 1e-9);
}

TEST(Determinant, RowExchangeAndTwoByTwo) {
  EXPECT_DOUBLE_EQ(Determinant(Matrix({{0, 1}, {1, 0}})), -1.0);
  EXPECT_DOUBLE_EQ(Determinant(Matrix({{0, 2, 1}, {3, 1, 0}, {1, 0, 1}})), -7.0);
  EXPECT_EQ(Determinant(TSquareMatrix(0)), 1.0);
  const double r = 0.3;
  TSquareMatrix m = Matrix({{1, r}, {r, 1}});
  EXPECT_DOUBLE_EQ(Determinant(m), 1 - r * r);
  TSquareMatrix c;
  CofactorMatrix(m, c);
  EXPECT_DOUBLE_EQ(c(0, 0), 1);
  EXPECT_DOUBLE_EQ(c(0, 1), -r);
  EXPECT_DOUBLE_EQ(c(1, 0), -r);
  EXPECT_DOUBLE_EQ(c(1, 1), 1);
  TSquareMatrix one(1, 0.5);
  CofactorMatrix(one, c);
  EXPECT_EQ(c(0, 0), 1.0);
}

TEST(Determinant, CofactorsAreDeterminantTimesInverse) {
  TSquareMatrix m = Matrix({{1, 0.5, 0.2}, {0.5, 1, -0.3}, {0.2, -0.3, 1}});
  TSquareMatrix c, minor;
  CofactorMatrix(m, c);
  BuildMinor(m, minor, 0, 1);
  EXPECT_EQ(minor(0, 0), 0.5);
  EXPECT_EQ(minor(1, 1), 1.0);
  const double det = Determinant(m);
  // m times the adjugate is det times the identity.
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      double s = 0;
      for (int l = 0; l < 3; ++l) s += m(i, l) * c(j, l);
      EXPECT_NEAR(s, i == j ? det : 0.0, 1e-14);
    }
  EXPECT_EQ(IndexOfInt(7, {3, 7, 7}, 2), 1);
}

TEST(PolyFit, StraightLineAndExactFit) {
  std::vector<double> x = {0, 1, 2, 3, 4}, y;
  for (double v : x) y.push_back(2.5 - 1.5 * v);
  TSquareMatrix A;
  std::vector<double> b;
  ASSERT_EQ(PolyFit(x.data(), y.data(), 5, 1, A, b), FitSolved);
  EXPECT_EQ(GetFitStatus(), FitSolved);
  EXPECT_NEAR(b[0], 2.5, 1e-12);
  EXPECT_NEAR(b[1], -1.5, 1e-12);
  // n = m + 1 fits exactly.
  std::vector<double> x3 = {-1, 0, 1, 2}, y3 = {1, 0, 3, -2};
  ASSERT_EQ(PolyFit(x3.data(), y3.data(), 4, 3, A, b), FitSolved);
  for (size_t i = 0; i < 4; ++i) {
    double f = b[0] + b[1] * x3[i] + b[2] * x3[i] * x3[i] + b[3] * x3[i] * x3[i] * x3[i];
    EXPECT_NEAR(f, y3[i], 1e-10);
  }
  // A holds the inverse of the normal-equation matrix.
  TSquareMatrix N;
  std::vector<double> rhs;
  std::vector<double> sumX(7, 0.0), sumXY(4, 0.0);
  for (size_t i = 0; i < 4; ++i)
    for (int p = 0; p <= 6; ++p) sumX[static_cast<size_t>(p)] += std::pow(x3[i], p);
  NormalEquations(sumX, sumXY, 3, N, rhs);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double s = 0;
      for (int l = 0; l < 4; ++l) s += N(i, l) * A(l, j);
      EXPECT_NEAR(s, i == j ? 1.0 : 0.0, 1e-9);
    }
}

TEST(PolyFit, TooFewSamplesAndSingular) {
  std::vector<double> x = {1, 2, 3}, y = {1, 2, 3};
  TSquareMatrix A(7, 9.0);
  std::vector<double> b(4, 9.0);
  EXPECT_EQ(PolyFit(x.data(), y.data(), 3, 3, A, b), FitTooFewSamples);
  EXPECT_EQ(GetFitStatus(), FitTooFewSamples);
  EXPECT_EQ(A(0, 0), 9.0);  // untouched
  std::vector<double> same = {2, 2, 2, 2};
  std::vector<double> ys = {1, 2, 3, 4};
  EXPECT_EQ(PolyFit(same.data(), ys.data(), 4, 1, A, b), FitSingular);
}

TEST(SolveGaussJordan, PivotLimitIsInclusive) {
  TSquareMatrix a(1, FitPivotLimit);
  std::vector<double> b = {FitPivotLimit};
  EXPECT_EQ(SolveGaussJordan(a, b, 0, 0), FitSolved);
  EXPECT_DOUBLE_EQ(b[0], 1.0);
  TSquareMatrix small(1, FitPivotLimit / 2);
  b = {1};
  EXPECT_EQ(SolveGaussJordan(small, b, 0, 0), FitSingular);
}

TEST(SolveGaussJordan, FullPivotingSolvesAndInverts) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(-1, 1);
  for (int trial = 0; trial < 20; ++trial) {
    const int k = 6;
    TSquareMatrix m(k);
    std::vector<double> z(k), b(k, 0.0);
    for (int i = 0; i < k; ++i) {
      z[static_cast<size_t>(i)] = u(rng);
      for (int j = 0; j < k; ++j) m(i, j) = u(rng);
    }
    for (int i = 0; i < k; ++i)
      for (int j = 0; j < k; ++j) b[static_cast<size_t>(i)] += m(i, j) * z[static_cast<size_t>(j)];
    TSquareMatrix inv = m;
    ASSERT_EQ(SolveGaussJordan(inv, b, 0, k - 1), FitSolved);
    for (int i = 0; i < k; ++i) {
      EXPECT_NEAR(b[static_cast<size_t>(i)], z[static_cast<size_t>(i)], 1e-9);
      for (int j = 0; j < k; ++j) {
        double s = 0;
        for (int l = 0; l < k; ++l) s += m(i, l) * inv(l, j);
        EXPECT_NEAR(s, i == j ? 1.0 : 0.0, 1e-9);
      }
    }
  }
}

TEST(IntroSort, DocumentedOrderOfEqualKeysAndCases) {
  std::vector<double> keys = {5, 5, 5, 5, 5};
  std::vector<int32_t> comp = {0, 1, 2, 3, 4};
  IntroSort(keys.data(), comp.data(), 4);
  // The first pass reverses them (4 3 2 1 0); the two halves are then
  // quicksorted again, each exchanging its ends.
  EXPECT_EQ(comp, (std::vector<int32_t>{3, 4, 2, 0, 1}));
  std::vector<double> a = {3, 1, 2};
  std::vector<double> ca = {30, 10, 20};
  IntroSort(a.data(), ca.data(), 2);
  EXPECT_EQ(a, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(ca, (std::vector<double>{10, 20, 30}));
  std::vector<double> one = {7};
  std::vector<int32_t> c1 = {0};
  IntroSort(one.data(), c1.data(), 0);
  EXPECT_EQ(one[0], 7);
}

TEST(IntroSort, SortsAnythingAndCarriesTheCompanion) {
  std::mt19937 rng(11);
  for (int trial = 0; trial < 50; ++trial) {
    const int n = 1 + static_cast<int>(rng() % 2000);
    std::vector<double> keys(static_cast<size_t>(n));
    const int mod = 1 + static_cast<int>(rng() % 40);
    for (auto& k : keys) k = static_cast<double>(rng() % static_cast<unsigned>(mod));
    if (trial % 5 == 0) std::sort(keys.begin(), keys.end());
    if (trial % 7 == 0) std::sort(keys.rbegin(), keys.rend());
    std::vector<double> original = keys;
    std::vector<int32_t> comp(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) comp[static_cast<size_t>(i)] = i;
    IntroSort(keys.data(), comp.data(), n - 1);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    for (int i = 0; i < n; ++i)
      EXPECT_EQ(original[static_cast<size_t>(comp[static_cast<size_t>(i)])],
                keys[static_cast<size_t>(i)]);
  }
}

TEST(MidRanks, DocumentedAndRadixRanksAgree) {
  std::vector<double> row = {0.5, -1, 0.5, 2, -0.0, 0.0, 0.5};
  TMidRanks a, b;
  CalcMidRanks(row.data(), 7, a);
  CalcMidRanksFast(row.data(), 7, b);
  // Ranks run downwards: 2 has rank 1, -1 rank 7; the three 0.5 share 3; -0 and 0 share 5.5.
  EXPECT_EQ(a.TwiceRanks, (std::vector<int32_t>{6, 14, 6, 2, 11, 11, 6}));
  EXPECT_EQ(b.TwiceRanks, a.TwiceRanks);
  EXPECT_EQ(a.Runs, 4);
  EXPECT_DOUBLE_EQ(a.TieSum(), (27 - 3) / 12.0 + (8 - 2) / 12.0);
  EXPECT_EQ(static_cast<int64_t>(b.TieSum12), static_cast<int64_t>(a.TieSum12));
  std::mt19937 rng(3);
  std::vector<double> r(5000);
  for (auto& v : r) v = static_cast<double>(rng() % 300) * 0.25 - 30;
  CalcMidRanks(r.data(), 5000, a);
  CalcMidRanksFast(r.data(), 5000, b);
  EXPECT_EQ(a.TwiceRanks, b.TwiceRanks);
  EXPECT_EQ(a.Runs, b.Runs);
}

TEST(Spearman, NoTiesMatchesTheClassicFormula) {
  std::vector<double> x = {1, 2, 3, 4, 5, 6}, y = {2, 1, 4, 3, 6, 5};
  TMidRanks rx, ry;
  CalcMidRanks(x.data(), 6, rx);
  CalcMidRanks(y.data(), 6, ry);
  EXPECT_EQ(static_cast<int64_t>(rx.TieSum12), 0);
  const TInt128 d4 = SumSquaredRankDifferences4(ry.TwiceRanks.data(), rx.TwiceRanks.data(), 6);
  const double d = static_cast<double>(d4) / 4;
  EXPECT_DOUBLE_EQ(SpearmanFromSums(6, ry.TieSum12, rx.TieSum12, d4), 1 - 6 * d / (216 - 6));
  EXPECT_EQ(SpearmanFromSums(6, 210, 0, 0), 0.0);  // a constant variable
}

TEST(Spearman, ExactAtAMillionSamples) {
  const int64_t n = 1000000;
  std::vector<double> x(static_cast<size_t>(n)), y(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) {
    x[static_cast<size_t>(i)] = static_cast<double>(i);
    y[static_cast<size_t>(i)] = static_cast<double>(n - 1 - i);
  }
  TMidRanks rx, ry;
  CalcMidRanksFast(x.data(), n, rx);
  CalcMidRanksFast(y.data(), n, ry);
  EXPECT_EQ(
      SpearmanFromSums(n, ry.TieSum12, rx.TieSum12,
                       SumSquaredRankDifferences4(ry.TwiceRanks.data(), rx.TwiceRanks.data(), n)),
      -1.0);
  EXPECT_EQ(SpearmanFromSums(n, rx.TieSum12, rx.TieSum12, 0), 1.0);
}

}  // namespace
}  // namespace tesvane

namespace tesvane {
namespace {

TEST(Spearman, MatrixWithTiesMatchesScipyOnAnyNumberOfThreads) {
  // Expected: scipy.stats.spearmanr of the same columns.
  const int n = 1000;
  std::vector<double> a, b, c;
  for (int i = 1; i <= n; ++i) {
    const double u = std::fmod(i * 0.6180339887498949, 1.0);
    const double v = std::fmod(i * 0.41421356237309515, 1.0);
    a.push_back(std::floor(4 * u));
    b.push_back(u * u + 0.3 * v);
    c.push_back(std::floor(10 * v) / 10 - u);
  }
  for (unsigned threads : {1u, 3u}) {
    const std::vector<double> r = SpearmanMatrix({a.data(), b.data(), c.data()}, n, threads);
    ASSERT_EQ(r.size(), 9u);
    EXPECT_NEAR(r[1], 0.9127995903460112, 1e-12);
    EXPECT_NEAR(r[2], -0.684190155222115, 1e-12);
    EXPECT_NEAR(r[5], -0.4435436395436396, 1e-12);
    EXPECT_EQ(r[3], r[1]);
    EXPECT_EQ(r[0], 1.0);
  }
}

}  // namespace
}  // namespace tesvane
