// Every measure against independent values (numpy/scipy, made by
// data/make_expected.py and committed), on a fixture with ties, an offset
// base variable and near-collinear inputs; and the documented edge cases.
#include <gtest/gtest.h>

#include <cmath>

#include "batch_engine.h"
#include "data/expected_values.h"
#include "jobs.h"
#include "test_support.h"
#include "text_samples.h"

namespace tesvane {
namespace {

void ExpectClose(double actual, double expected, double relative, const char* what, int job) {
  EXPECT_NEAR(actual, expected, relative * std::max(1.0, std::fabs(expected)))
      << what << " job " << job;
}

TFileData LoadFixture() {
  test::TTestHost host;
  TFileData store;
  store.FileName = std::string(TESVANE_TEST_DATA) + "/fixture.sae";
  TIntList all;
  for (int i = 0; i < 6; ++i) all.Add(i);
  EXPECT_TRUE(ReadTextSamples(store, &all, host));
  return store;
}

void CheckAgainstExpected(const TSensitivityItem& item, int j) {
  ExpectClose(item.MeanPredicted, expected::mean_y[j], 1e-6, "mean y", j);
  ExpectClose(item.MeanBase, expected::mean_x[j], 1e-6, "mean x", j);
  ExpectClose(item.VarPredicted, expected::var_y[j], 1e-6, "var y", j);
  ExpectClose(item.VarBase, expected::var_x[j], 1e-6, "var x", j);
  ExpectClose(item.Correlation, expected::pearson[j], 1e-6, "pearson", j);
  ExpectClose(item.RankCorrelation, expected::spearman[j], 1e-6, "spearman", j);
  ExpectClose(item.RegressionCoef, expected::regression[j], 1e-6, "regression", j);
  ExpectClose(item.CorrRatio, expected::corr_ratio[j], 1e-6, "correlation ratio", j);
  ExpectClose(item.LinearityIndex,
              expected::corr_ratio[j] - expected::pearson[j] * expected::pearson[j], 1e-6,
              "linearity", j);
  ExpectClose(item.PartialCorrelation, expected::partial[j], 2e-5, "partial correlation", j);
  ExpectClose(item.PartialRegression, expected::partial_regression[j], 2e-5, "partial regression",
              j);
  ExpectClose(item.MultipleCorrelation, expected::multiple[j], 1e-6, "multiple correlation", j);
  ExpectClose(item.TiesPredicted, expected::ties_y[j], 1e-6, "ties y", j);
  ExpectClose(item.TiesBase, expected::ties_x[j], 1e-6, "ties x", j);
  EXPECT_EQ(item.RunsPredicted, expected::runs_y[j]);
  EXPECT_EQ(item.RunsBase, expected::runs_x[j]);
  ExpectClose(item.CorrDeterminant, expected::corr_determinant, 1e-5, "determinant", j);
  EXPECT_EQ(item.FitStatus, 0);
  EXPECT_EQ(item.SampleCount, expected::SampleCount);
  EXPECT_EQ(item.UsableCount, 200);
}

TEST(Measures, MatchIndependentValuesItemByItemAndInBatch) {
  TFileData store = LoadFixture();
  ASSERT_EQ(store.SampleCount, expected::SampleCount);
  auto jobs = BuildJobs(store, {0}, {1, 2, 3, 4, 5});
  ASSERT_EQ(jobs.size(), 5u);
  TRunParameters parameters;  // 20 groups, degree 3
  TBatchEngine engine(store, parameters, 2);
  std::vector<const TCorrRatioInfo*> pointers;
  for (auto& j : jobs) pointers.push_back(j.get());
  engine.Prepare(pointers);
  for (int j = 0; j < 5; ++j) {
    TJobResult single = ComputeJobItemByItem(store, *jobs[static_cast<size_t>(j)], parameters);
    TJobResult batch = engine.Compute(*jobs[static_cast<size_t>(j)]);
    CheckAgainstExpected(*single.Item, j);
    CheckAgainstExpected(*batch.Item, j);
  }
  // The first job's vector is in file order: its matrix is the whole correlation matrix.
  TJobResult first = ComputeJobItemByItem(store, *jobs[0], parameters);
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 6; ++c)
      EXPECT_NEAR(first.Correlation(r, c), expected::corr_matrix[r * 6 + c], 1e-13);
}

TEST(Measures, ConditionalExpectationContinuousAndDiscrete) {
  TFileData store = LoadFixture();
  auto jobs = BuildJobs(store, {0}, {1, 2});
  TRunParameters parameters;
  TJobResult cont = ComputeJobItemByItem(store, *jobs[0], parameters);
  ASSERT_EQ(cont.Item->CondExpX.size(), 20u);
  for (size_t k = 0; k < 20; ++k) {
    EXPECT_NEAR(cont.Item->CondExpX[k], expected::ce_x1_x[k], 1e-12);
    EXPECT_NEAR(cont.Item->CondExpY[k], expected::ce_x1_y[k], 1e-12);
  }
  TJobResult disc = ComputeJobItemByItem(store, *jobs[1], parameters);
  EXPECT_EQ(disc.Item->BaseDistinct, 5);
  ASSERT_EQ(disc.Item->CondExpX.size(), 5u);
  for (size_t k = 0; k < 5; ++k) {
    EXPECT_EQ(disc.Item->CondExpX[k], expected::ce_x2_x[k]);
    EXPECT_NEAR(disc.Item->CondExpY[k], expected::ce_x2_y[k], 1e-12);
  }
}

// A small store from columns.
TFileData Store(const std::vector<std::vector<double>>& columns,
                std::vector<int32_t> distinct = {}) {
  TFileData s;
  s.VarCount = static_cast<int32_t>(columns.size());
  s.SampleCount = static_cast<int32_t>(columns[0].size());
  s.Samples = columns;
  for (size_t i = 0; i < columns.size(); ++i) {
    s.Names.push_back(std::string("v").append(std::to_string(i)));
    s.Variables.Add(
        std::make_shared<TRandomVariable>(static_cast<int32_t>(i), s.Names.back(), "", 2, 2, ""));
    s.MinValues.push_back(*std::min_element(columns[i].begin(), columns[i].end()));
    s.MaxValues.push_back(*std::max_element(columns[i].begin(), columns[i].end()));
    std::vector<double> sorted = columns[i];
    std::sort(sorted.begin(), sorted.end());
    int32_t d = static_cast<int32_t>(std::unique(sorted.begin(), sorted.end()) - sorted.begin());
    s.DistinctCounts.push_back(i < distinct.size() ? distinct[i] : std::min(d, 21));
  }
  return s;
}

std::vector<double> Grid(int n, double lo, double hi) {
  std::vector<double> v;
  for (int i = 0; i < n; ++i) v.push_back(lo + (hi - lo) * i / (n - 1));
  return v;
}

TEST(Measures, YEqualsXIsExplainedByItself) {
  std::vector<double> x = Grid(50, -2, 3), z;
  for (double v : x) z.push_back(std::sin(3 * v));
  TFileData store = Store({x, z});
  auto jobs = BuildJobs(store, {0}, {0, 1});
  TJobResult self = ComputeJobItemByItem(store, *jobs[0], {});
  const TSensitivityItem& it = *self.Item;
  EXPECT_EQ(it.BasePos, 0);
  EXPECT_EQ(it.CorrRatio, 1.0f);
  EXPECT_EQ(it.Correlation, 1.0f);
  EXPECT_NEAR(it.RegressionCoef, 1.0, 1e-6);
  ASSERT_EQ(it.PolyCoefs.size(), 2u);
  EXPECT_NEAR(it.PolyCoefs[1], 1.0, 1e-6);
  EXPECT_NEAR(it.PolyCoefs[0], 0.0, 1e-5);
  EXPECT_EQ(it.PartialCorrelation, 1.0f);  // mended: +1, not -1
  EXPECT_EQ(it.PartialRegression, 1.0f);
  EXPECT_NEAR(it.MultipleCorrelation, 1.0, 1e-6);
  EXPECT_EQ(it.RankCorrelation, 1.0f);
  // The other job has the predicted variable among its explanatory ones.
  TJobResult other = ComputeJobItemByItem(store, *jobs[1], {});
  EXPECT_TRUE(other.Item->PredictedIsExplanatory);
  EXPECT_EQ(other.Item->PartialCorrelation, 0.0f);
  EXPECT_EQ(other.Item->PartialRegression, 0.0f);
  EXPECT_NEAR(other.Item->MultipleCorrelation, 1.0, 1e-6);
  EXPECT_NEAR(other.Item->CorrDeterminant, 0.0, 1e-7);
}

TEST(Measures, ConstantBaseVariable) {
  std::vector<double> y = Grid(30, 0, 1), c(30, 4.0);
  TFileData store = Store({y, c});
  auto jobs = BuildJobs(store, {0}, {1});
  TJobResult r = ComputeJobItemByItem(store, *jobs[0], {});
  const TSensitivityItem& it = *r.Item;
  EXPECT_EQ(it.BaseDistinct, 1);
  ASSERT_EQ(it.CondExpX.size(), 1u);
  EXPECT_EQ(it.CondExpX[0], 4.0);
  EXPECT_NEAR(it.CondExpY[0], 0.5, 1e-12);
  EXPECT_EQ(it.RegressionCoef, 0.0f);
  EXPECT_EQ(it.FitStatus, 0);
  EXPECT_EQ(it.CorrRatio, 0.0f);
  EXPECT_EQ(it.PartialRegression, 0.0f);
  EXPECT_EQ(it.Correlation, 0.0f);
}

TEST(Measures, SquareOfSymmetricBaseAndOffsetBase) {
  std::vector<double> x = Grid(101, -1, 1), y, xo, yo;
  for (double v : x) y.push_back(v * v);
  TFileData store = Store({y, x});
  TRunParameters p;
  p.Degree = 2;
  TJobResult r = ComputeJobItemByItem(store, *BuildJobs(store, {0}, {1})[0], p);
  EXPECT_NEAR(r.Item->CorrRatio, 1.0, 1e-6);
  EXPECT_NEAR(r.Item->Correlation, 0.0, 1e-6);
  EXPECT_NEAR(r.Item->LinearityIndex, 1.0, 1e-6);
  // x in [1000, 1001] with a cubic: the true correlation ratio is 1.
  for (double v : Grid(200, 1000, 1001)) {
    xo.push_back(v);
    const double u = v - 1000.5;
    yo.push_back(u * u * u - 0.1 * u);
  }
  TFileData offset = Store({yo, xo});
  TJobResult o = ComputeJobItemByItem(offset, *BuildJobs(offset, {0}, {1})[0], {});
  EXPECT_EQ(o.Item->FitStatus, 0);
  EXPECT_NEAR(o.Item->CorrRatio, 1.0, 1e-6);
  // The coefficients apply to unscaled x.
  double f = 0;
  for (size_t j = o.Item->PolyCoefs.size(); j-- > 0;) f = f * 1000.75 + o.Item->PolyCoefs[j];
  EXPECT_NEAR(f, 0.25 * 0.25 * 0.25 - 0.025, 1e-4);
}

TEST(Measures, GroupsUseTheUsableSamplesOnly) {
  std::vector<double> x = Grid(25, 0, 24), y;
  for (double v : x) y.push_back(2 * v);
  TFileData store = Store({y, x});
  TJobResult r = ComputeJobItemByItem(store, *BuildJobs(store, {0}, {1})[0], {});
  EXPECT_EQ(r.Item->UsableCount, 20);
  ASSERT_EQ(r.Item->CondExpX.size(), 20u);
  EXPECT_EQ(r.Item->CondExpX[19], 19.0);
  EXPECT_EQ(r.Item->CondExpY[19], 38.0);
}

TEST(Measures, DiscreteBaseRunsAreNotCutAtTheUsableLimit) {
  // 23 samples, 20 groups: usable 20; the value 3 runs across position 20.
  std::vector<double> x, y;
  for (int i = 0; i < 23; ++i) {
    x.push_back(i < 8 ? 1 : i < 15 ? 2 : 3);
    y.push_back(i);
  }
  TFileData store = Store({y, x});
  TJobResult r = ComputeJobItemByItem(store, *BuildJobs(store, {0}, {1})[0], {});
  ASSERT_EQ(r.Item->CondExpX, (std::vector<double>{1, 2, 3}));
  EXPECT_DOUBLE_EQ(r.Item->CondExpY[0], 3.5);
  EXPECT_DOUBLE_EQ(r.Item->CondExpY[1], 11.0);
  EXPECT_DOUBLE_EQ(r.Item->CondExpY[2], 18.5);  // all of 15..22, not only up to 19
}

TEST(Measures, FewerSamplesThanDegreeAndSingularFits) {
  TFileData store = Store({{1, 2, 4}, {3, 1, 2}});
  TJobResult r = ComputeJobItemByItem(store, *BuildJobs(store, {0}, {1})[0], {});
  EXPECT_EQ(r.Item->FitStatus, -2);
  EXPECT_EQ(r.Item->CorrRatio, 0.0f);
  EXPECT_FLOAT_EQ(r.Item->LinearityIndex, -r.Item->Correlation * r.Item->Correlation);
  // A base variable of two values fitted with degree 3: the fit of degree 1
  // gives the same fitted values, the two conditional means.
  std::vector<double> x, y;
  for (int i = 0; i < 40; ++i) {
    x.push_back(i % 2);
    y.push_back((i % 2) * 3.0 + (i % 5) * 0.1);
  }
  TFileData two = Store({y, x});
  TJobResult t = ComputeJobItemByItem(two, *BuildJobs(two, {0}, {1})[0], {});
  EXPECT_EQ(t.Item->FitStatus, 0);
  EXPECT_NEAR(t.Item->CorrRatio, t.Item->Correlation * t.Item->Correlation, 1e-6);
  // The polynomial passes through the two conditional means, 0.2 and 3.2.
  const std::vector<double>& c = t.Item->PolyCoefs;
  ASSERT_EQ(c.size(), 4u);
  EXPECT_NEAR(c[0], 0.2, 1e-12);
  EXPECT_NEAR(c[0] + c[1] + c[2] + c[3], 3.2, 1e-12);
}

// The scaling factor is 1 unless the fit in powers of the unscaled base
// variable is singular, then 1 / sd(X); both ways of computing agree.
TEST(Measures, ScalingFactorOnlyForASingularUnscaledFit) {
  std::vector<double> wide = Grid(60, -2, 3), tiny = Grid(60, 0, 1e-5), y;
  for (double v : wide) y.push_back(v * v + 0.1 * std::sin(7 * v));
  TFileData store = Store({y, wide, tiny});
  TRunParameters p;
  p.Degree = 3;
  auto jobs = BuildJobs(store, {0}, {1, 2});
  TBatchEngine engine(store, p, 2);
  std::vector<const TCorrRatioInfo*> list{jobs[0].get(), jobs[1].get()};
  engine.Prepare(list);
  for (size_t j = 0; j < 2; ++j) {
    TJobResult one = ComputeJobItemByItem(store, *jobs[j], p);
    TJobResult batch = engine.Compute(*jobs[j]);
    const double sd = std::sqrt(static_cast<double>(one.Item->VarBase));
    const float expected = j == 0 ? 1.0f : static_cast<float>(1.0 / sd);
    EXPECT_FLOAT_EQ(one.Item->ScalingFactor, expected) << j;
    EXPECT_FLOAT_EQ(batch.Item->ScalingFactor, expected) << j;
  }
  EXPECT_FALSE(UnscaledFitSingular(wide.data(), 60, 3));
  EXPECT_TRUE(UnscaledFitSingular(tiny.data(), 60, 3));
}

// A constant predicted variable is explained by nothing: its multiple
// correlation is exactly 0 (det / C_YY is 1 in double precision).
TEST(Measures, ConstantPredictedVariableHasNoMultipleCorrelation) {
  std::vector<double> a = Grid(40, 0, 1), b, c(40, 2.5);
  for (double v : a) b.push_back(std::cos(5 * v) + 0.3 * v);
  TFileData store = Store({c, a, b});
  auto jobs = BuildJobs(store, {0}, {1, 2});
  TBatchEngine engine(store, {}, 2);
  std::vector<const TCorrRatioInfo*> list{jobs[0].get(), jobs[1].get()};
  engine.Prepare(list);
  for (size_t j = 0; j < 2; ++j) {
    EXPECT_EQ(ComputeJobItemByItem(store, *jobs[j], {}).Item->MultipleCorrelation, 0.0f) << j;
    EXPECT_EQ(engine.Compute(*jobs[j]).Item->MultipleCorrelation, 0.0f) << j;
  }
}

}  // namespace
}  // namespace tesvane

namespace tesvane {
namespace {

TEST(Measures, PartialCoefficientsFromCofactorsAndTheirGuards) {
  struct TCase {
    const char* what;
    int32_t basePos;
    float varP, varB, det;
    double cXX, cYY, cYX;
    float partial, regression, multiple;
  };
  const TCase cases[] = {
      {"ordinary", 1, 4, 1, 0.5f, 1, 1, -0.5, 0.5f, 1.0f, 0.70710678f},
      {"no cofactor of Y", 1, 4, 1, 0.5f, 1, 0, -0.5, 0, 0, 0},
      {"constant base", 1, 4, 0, 0.5f, 1, 1, -0.5, 0.5f, 0, 0.70710678f},
      {"determinant above the cofactor", 1, 1, 1, 0.8f, 1, 0.5, 0.1, -0.14142136f, -0.2f, 0},
      // X is Y: the cofactors are one value; +1 where the formulas give -1.
      {"base is predicted", 0, 2, 2, 0, 0.7, 0.7, 0.7, 1, 1, 1},
      {"base is predicted, constant", 0, 0, 0, 0, 0.7, 0.7, 0.7, 1, 0, 1},
      {"base is predicted, zero cofactors", 0, 2, 2, 0, 0, 0, 0, 0, 0, 0},
  };
  for (const TCase& c : cases) {
    TSensitivityItem item;
    item.BasePos = c.basePos;
    item.VarPredicted = c.varP;
    item.VarBase = c.varB;
    item.CorrDeterminant = c.det;
    item.CalcPartialCoefficients(c.cXX, c.cYY, c.cYX);
    EXPECT_FLOAT_EQ(item.PartialCorrelation, c.partial) << c.what;
    EXPECT_FLOAT_EQ(item.PartialRegression, c.regression) << c.what;
    EXPECT_FLOAT_EQ(item.MultipleCorrelation, c.multiple) << c.what;
  }
}

}  // namespace
}  // namespace tesvane

namespace tesvane {
namespace {

TEST(Measures, CorrelationRatioOfAHeavilySkewedBaseAtHighDegrees) {
  // x spans seven decades (most samples near 1); y depends on log x. The
  // expected ratios are var(fit) / var(y) of the exact least-squares fits,
  // solved in 250-digit arithmetic (mpmath).
  const int n = 2000;
  std::vector<double> x, y;
  for (int i = 1; i <= n; ++i) {
    const double u = std::fmod(i * 0.6180339887498949, 1.0);
    const double v = std::fmod(i * 0.41421356237309515, 1.0);
    x.push_back(std::exp(16.0 * u));
    y.push_back(std::sin(6.0 * u) + 0.2 * v);
  }
  TFileData store;
  store.VarCount = 2;
  store.SampleCount = n;
  store.Samples = {y, x};
  store.Names = {"y", "x"};
  for (int32_t v = 0; v < 2; ++v)
    store.Variables.Add(
        std::make_shared<TRandomVariable>(v, store.Names[static_cast<size_t>(v)], "", 2, 2, ""));
  store.DistinctCounts = {21, 21};
  store.MinValues = {-1, 1};
  store.MaxValues = {1, 9e6};
  auto jobs = BuildJobs(store, {0}, {1});
  const std::pair<int32_t, double> cases[] = {
      {3, 0.32648620162724}, {6, 0.553035043405143}, {10, 0.7113077055173}};
  for (const auto& [degree, ratio] : cases) {
    TRunParameters p;
    p.Degree = degree;
    TBatchEngine engine(store, p, 1);
    engine.Prepare({jobs[0].get()});
    for (const TJobResult& r :
         {ComputeJobItemByItem(store, *jobs[0], p), engine.Compute(*jobs[0])}) {
      EXPECT_EQ(r.Item->FitStatus, 0) << degree;
      EXPECT_NEAR(r.Item->CorrRatio, ratio, 1e-6) << degree;
      EXPECT_NEAR(r.Item->LinearityIndex, ratio - 0.2949741649753207 * 0.2949741649753207, 1e-6)
          << degree;
    }
  }
}

}  // namespace
}  // namespace tesvane
