// The distribution operations of Process_extended_random_variable: defaults,
// checks and their messages, values of the representations, entering values
// and converting them, and the display texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "distributions/distribution_operations.h"
#include "distributions/special_functions.h"
#include "model/short_string.h"
#include "tesmira/distributions.h"
#include "tesmira/model.h"

namespace tesmira {
namespace {

constexpr int kFormula = ModelTypeFormula;
constexpr int kFaultTree = ModelTypeFaultTree;

struct Variable {
  TExtendedRandomVariable rv;

  explicit Variable(int type) {
    std::memset(&rv, 0, sizeof rv);
    rv.distribution.distType = static_cast<uint8_t>(type);
    for (int i = 0; i < ValueSlots; ++i) SetValue(i + 1, MissingValue);
  }
  void SetParams(double p1, double p2 = 0, double p3 = 0, double p4 = 0) {
    double p[4] = {p1, p2, p3, p4};
    std::memcpy(rv.distribution.u.raw, p, sizeof p);
  }
  double Param(int k) const {
    double v;
    std::memcpy(&v, rv.distribution.u.raw + 8 * (k - 1), sizeof v);
    return v;
  }
  void SetValue(int k, double v) { std::memcpy(&rv.values[k - 1], &v, sizeof v); }
  double Value(int k) const {
    double v;
    std::memcpy(&v, &rv.values[k - 1], sizeof v);
    return v;
  }
  void SetValues(std::vector<double> values) {
    for (int i = 0; i < ValueSlots; ++i)
      SetValue(i + 1, i < static_cast<int>(values.size()) ? values[i] : MissingValue);
  }
  void Select(int32_t selector) { std::memcpy(&rv.representation, &selector, sizeof selector); }
  std::string Text(int k) const { return std::string(ShortStringView(rv.text[k - 1])); }
  int Run(int op, int modelType = kFormula) { return ProcessDistribution(&rv, op, modelType); }
  float DiscreteValue(int k) const {
    float v;
    std::memcpy(&v, &rv.distribution.u.discrete.pairs[k - 1].value, sizeof v);
    return v;
  }
  float DiscreteProbability(int k) const {
    float v;
    std::memcpy(&v, &rv.distribution.u.discrete.pairs[k - 1].probability, sizeof v);
    return v;
  }
  int DiscreteCount() const {
    int16_t n;
    std::memcpy(&n, &rv.distribution.u.discrete.count, sizeof n);
    return n;
  }
};

bool Missing(double v) { return std::fabs(v - MissingValue) < 1e-9; }

// ---- defaults ------------------------------------------------------------------

TEST(SetDistributionDefaults, ParametersAndValueSlots) {
  struct Case {
    int type;
    int result;
    std::vector<double> values;  // the parameters in display order
  } cases[] = {{1, 1, {1}},          {2, 2, {0, 1}},      {3, 2, {0.0001, 1}},    {4, 2, {0, 1}},
               {5, 2, {1, 2}},       {6, 2, {100, 0}},    {7, 3, {10, 0.001, 0}}, {8, 3, {1, 1, 0}},
               {9, 4, {2, 2, 0, 1}}, {10, 3, {0, 0.5, 1}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    Variable v(c.type);
    v.SetParams(-9, -9, -9, -9);
    EXPECT_EQ(v.Run(SetDistributionDefaultsOp), c.result);
    for (std::size_t i = 0; i < c.values.size(); ++i)
      EXPECT_EQ(v.Value(static_cast<int>(i) + 1), c.values[i]);
    EXPECT_EQ(v.Run(CheckDistributionOp), c.result);  // the defaults pass their check
    EXPECT_EQ(v.Text(1), "");
  }
  Variable tri(10);
  tri.Run(SetDistributionDefaultsOp);
  EXPECT_EQ(tri.Param(3), 0);    // a
  EXPECT_EQ(tri.Param(2), 0.5);  // m
  EXPECT_EQ(tri.Param(4), 1);    // b
  // The LogNormal error factor depends on the model type.
  Variable ln(5);
  EXPECT_EQ(ln.Run(SetDistributionDefaultsOp, kFaultTree), 2);
  EXPECT_EQ(ln.Param(2), 3);
  // Discrete: one pair in use, every value and probability empty.
  Variable d(13);
  EXPECT_EQ(d.Run(SetDistributionDefaultsOp), 20);
  EXPECT_EQ(d.DiscreteCount(), 1);
  for (int k = 1; k <= 20; ++k) {
    EXPECT_TRUE(Missing(d.DiscreteValue(k)));
    EXPECT_TRUE(Missing(d.DiscreteProbability(k)));
    EXPECT_TRUE(Missing(d.Value(k)));
  }
}

TEST(SetDistributionDefaults, FileTypesKeepTheirValueSlots) {
  for (int type : {11, 12, 14, 15}) {
    SCOPED_TRACE(type);
    Variable v(type);
    SetShortString(v.rv.distribution.u.fileName, 100, "old.dis");
    v.rv.samplePosition = 7;
    v.SetValue(1, 42);
    EXPECT_EQ(v.Run(SetDistributionDefaultsOp), 1);
    EXPECT_EQ(v.Value(1), 42);  // no stale work value written
    EXPECT_EQ(v.rv.distribution.u.fileName[0], 0);
    EXPECT_EQ(v.rv.samplePosition, type == 12 ? 0 : 7);
    EXPECT_EQ(v.Run(CheckDistributionOp), 1);
    Variable w(type);
    w.Select(1);
    w.SetValue(1, 5);
    EXPECT_EQ(w.Run(EnterDistributionValuesOp), 1);
    EXPECT_EQ(w.Value(1), 5);
  }
}

// ---- checks and their messages ----------------------------------------------------

TEST(CheckDistribution, MessagesOfBadParameters) {
  const std::string fault = "  Check: lower bound >= 0 and upper bound <= 1 ";
  struct Case {
    int type;
    std::vector<double> params;  // P1..P4
    int modelType;
    std::string message;
  } cases[] = {
      {1, {0}, kFaultTree, "              Make Constant > 0 "},
      {2, {1, 1}, kFormula, "                    Make b > a"},
      {3, {0, 1}, kFormula, "                  Make b > a > 0"},
      {3, {2, 1}, kFormula, "                  Make b > a > 0"},
      {4, {0, 0}, kFormula, std::string(20, ' ') + "Make \xE5 > 0"},
      {5, {0, 2}, kFormula, "       Make MEDIAN > 0 & ERRORFACTOR > 1"},
      {5, {1, 1}, kFormula, "       Make MEDIAN > 0 & ERRORFACTOR > 1"},
      {6, {0, 0, 0, 0}, kFormula, std::string(14, ' ') + "Make \xE7 > 0 & b >= 0"},
      {6, {1, 0, 0, -1}, kFormula, std::string(14, ' ') + "Make \xE7 > 0 & b >= 0"},
      {7, {1, 0, 0, 0}, kFormula, std::string(12, ' ') + "Make \xE0 > 0, \xE1 > 0 & b >= 0"},
      {7, {1, 1, 0, -0.5}, kFormula, std::string(12, ' ') + "Make \xE0 > 0, \xE1 > 0 & b >= 0"},
      {8, {0, -1, 1, 0}, kFormula, std::string(12, ' ') + "Make \xE1 > 0, n > 0 & b >= 0"},
      {8, {0, 1, 0, 0}, kFormula, std::string(12, ' ') + "Make \xE1 > 0, n > 0 & b >= 0"},
      {9, {1, 1, 2, 2}, kFormula, std::string(11, ' ') + "Make \xE0 > 0 , \xE1 > 0 & b > a"},
      {9, {0, 1, 0, 1}, kFormula, std::string(11, ' ') + "Make \xE0 > 0 , \xE1 > 0 & b > a"},
      {10, {0, 2, 1, 1}, kFormula, "            Make a <= m < b or a < m <= b "},  // a = m = b
      {10, {0, 3, 1, 2}, kFormula, "            Make a <= m < b or a < m <= b "},  // m > b
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " P1 " << c.params[0]);
    Variable v(c.type);
    std::vector<double> p = c.params;
    p.resize(4, 0);
    v.SetParams(p[0], p[1], p[2], p[3]);
    TDistribution before = v.rv.distribution;
    EXPECT_EQ(v.Run(CheckDistributionOp, c.modelType), -1);
    EXPECT_EQ(v.Text(1), c.message);
    EXPECT_EQ(std::memcmp(&before, &v.rv.distribution, sizeof before), 0);
  }
  // The Constant may be 0 or negative outside FAULT TREE models.
  Variable constant(1);
  constant.SetParams(-3);
  EXPECT_EQ(constant.Run(CheckDistributionOp), 1);
  // Triangular modes at either end are valid.
  Variable left(10), right(10);
  left.SetParams(0, 1, 1, 2);
  right.SetParams(0, 2, 1, 2);
  EXPECT_EQ(left.Run(CheckDistributionOp), 3);
  EXPECT_EQ(right.Run(CheckDistributionOp), 3);
  // Discrete values must increase, without gaps.
  Variable d(13);
  d.Run(SetDistributionDefaultsOp);
  d.Select(1);
  d.SetValues({1, 3, 2});
  EXPECT_EQ(d.Run(EnterDistributionValuesOp), -1);
  EXPECT_EQ(d.Text(1), " Make sure V values are increasing and sum of P values less than 1");
  d.SetValues({1, 2, MissingValue, 4});
  EXPECT_EQ(d.Run(EnterDistributionValuesOp), -1);
  d.SetValues({MissingValue, 2});
  EXPECT_EQ(d.Run(EnterDistributionValuesOp), -1);
  // Main quantiles must increase; moments are checked in FAULT TREE models only.
  Variable normal(4);
  normal.Select(2);
  normal.SetValues({0, 99, 10});
  EXPECT_EQ(normal.Run(EnterDistributionValuesOp), -1);
  EXPECT_EQ(normal.Text(1), std::string(20, ' ') + "Make \xE5 > 0");
  normal.Select(3);
  normal.SetValues({-1, 2});
  EXPECT_EQ(normal.Run(EnterDistributionValuesOp), 2);
  EXPECT_EQ(normal.Run(EnterDistributionValuesOp, kFaultTree), -1);
  EXPECT_EQ(normal.Text(1), "    Make Mean > 0  & Standard Deviation > 0 ");
}

TEST(CheckDistribution, FaultTreeBoundsWarning) {
  Variable v(4);
  v.SetParams(0.5, 0.3);
  EXPECT_EQ(v.Run(CheckDistributionOp, kFaultTree), 2);
  EXPECT_EQ(v.Text(1), "  Check: lower bound >= 0 and upper bound <= 1 ");
  EXPECT_EQ(v.Run(CheckDistributionOp, kFormula), 2);
  EXPECT_EQ(v.Text(1), "");
  Variable inside(2);
  inside.SetParams(0.1, 0.9);
  EXPECT_EQ(inside.Run(CheckDistributionOp, kFaultTree), 2);
  EXPECT_EQ(inside.Text(1), "");
  // Entering values gives the same warning and still stores them.
  Variable u(2);
  u.Select(1);
  u.SetValues({0.5, 1.5});
  EXPECT_EQ(u.Run(EnterDistributionValuesOp, kFaultTree), 2);
  EXPECT_EQ(u.Text(1), "  Check: lower bound >= 0 and upper bound <= 1 ");
  EXPECT_EQ(u.Param(2), 1.5);
}

TEST(Process, InvalidTypesAndSelectors) {
  for (int type : {0, 16, 255}) {
    Variable v(type);
    EXPECT_EQ(v.Run(DistributionTitleOp), -1);
    EXPECT_EQ(v.Text(1), "Invalid distribution type");
  }
  EXPECT_EQ(ProcessDistribution(nullptr, CheckDistributionOp, kFormula), 0);
  Variable gamma(7);
  gamma.SetParams(4, 2, 0, 1);
  gamma.Select(3);
  EXPECT_EQ(gamma.Run(EnterDistributionValuesOp), -1);
  EXPECT_EQ(gamma.Text(1), "Invalid edit column selector");
  EXPECT_EQ(gamma.Run(DistributionValueTextsOp), 2);
  EXPECT_DOUBLE_EQ(gamma.Value(1), 3);  // alpha / beta + b
  EXPECT_DOUBLE_EQ(gamma.Value(2), 1);  // sqrt(alpha) / beta
  gamma.Select(4);
  EXPECT_EQ(gamma.Run(DistributionValueTextsOp), -1);
  EXPECT_EQ(gamma.Text(1), "Invalid column selector");
  EXPECT_EQ(gamma.Run(ValueLabelsOp), -1);
  EXPECT_EQ(gamma.Text(1), "Invalid column selector");
  gamma.Select(0);
  EXPECT_EQ(gamma.Run(DistributionValueTextsOp), -1);
  // Any selector a record may hold, the most negative one included.
  for (int32_t selector : {INT32_MIN, INT32_MIN + 1, -4, INT32_MAX}) {
    SCOPED_TRACE(selector);
    gamma.Select(selector);
    for (int op : {2, 3, 7}) EXPECT_EQ(gamma.Run(op), -1);
    Variable discrete(13);
    discrete.Select(selector);
    EXPECT_EQ(discrete.Run(DistributionValueTextsOp), -1);
    EXPECT_EQ(discrete.Run(EnterDistributionValuesOp), -1);
    EXPECT_EQ(discrete.Run(ValueLabelsOp), selector > 2 ? 20 : -1);
  }
  Variable d(13);
  d.Run(SetDistributionDefaultsOp);
  d.Select(0);
  EXPECT_EQ(d.Run(ValueLabelsOp), -1);
  d.Select(3);
  EXPECT_EQ(d.Run(EnterDistributionValuesOp), -1);
  EXPECT_EQ(d.Text(1), "Invalid edit column selector");
  EXPECT_EQ(d.Run(ValueLabelsOp), 20);  // the bare row numbers
  EXPECT_EQ(d.Text(1), "1");
  EXPECT_EQ(d.Text(20), "20");
}

// ---- values of the representations ----------------------------------------------

TEST(DistributionValueTexts, ValuesAndTexts) {
  Variable u(2);
  u.SetParams(0, 10);
  u.Select(2);
  EXPECT_EQ(u.Run(DistributionValueTextsOp), 3);
  EXPECT_DOUBLE_EQ(u.Value(1), 0.5);
  EXPECT_DOUBLE_EQ(u.Value(2), 5);
  EXPECT_DOUBLE_EQ(u.Value(3), 9.5);
  EXPECT_EQ(u.Text(1), " 5.00000000000000E-0001");
  EXPECT_EQ(u.Text(2), " 5.00000000000000E+0000");
  u.Select(3);
  EXPECT_EQ(u.Run(DistributionValueTextsOp), 2);
  EXPECT_EQ(u.Text(2), " 2.88675134594813E+0000");  // 10 / sqrt(12)
  u.Select(-1);
  EXPECT_EQ(u.Run(DistributionValueTextsOp), 0);  // a negative selector shows no values
  Variable c(1);
  c.SetParams(-1234.5);
  c.Select(-1);
  EXPECT_EQ(c.Run(DistributionValueTextsOp), 1);
  EXPECT_EQ(c.Text(1), "-1.23450000000000E+0003");
  Variable n(4);
  n.SetParams(1, 2);
  n.Select(2);
  EXPECT_EQ(n.Run(DistributionValueTextsOp), 3);
  EXPECT_DOUBLE_EQ(n.Value(1), 1 - 1.6449 * 2);
  EXPECT_DOUBLE_EQ(n.Value(3), 1 + 1.6449 * 2);
  // A moment whose formula is undefined yields no values.
  Variable e(6);
  e.SetParams(0, 0, 0, 1);
  e.Select(3);
  EXPECT_EQ(e.Run(DistributionValueTextsOp), 0);
  Variable small(4);
  small.SetParams(0, 1.5e-300);
  small.Select(1);
  small.Run(DistributionValueTextsOp);
  EXPECT_EQ(small.Text(2), " 1.50000000000000E-0300");
}

TEST(DistributionValueTexts, MomentsOfTheTypes) {
  struct Case {
    int type;
    double p[4];
    double mean, sd;
  } cases[] = {
      {3,
       {1, std::exp(1.0), 0, 0},
       std::exp(1.0) - 1,
       std::sqrt((std::exp(2.0) - 1) / 2 - (std::exp(1.0) - 1) * (std::exp(1.0) - 1))},
      {5,
       {2, std::exp(1.6449), 0, 0},
       2 * std::exp(0.5),
       std::sqrt((std::exp(1.0) - 1) * 4 * std::exp(1.0))},
      {6, {4, 0, 0, 1}, 1.25, 0.25},
      {8, {0, 2, 3, 1}, 1 + 3 * std::sqrt(M_PI) / 2, 3 * std::sqrt(1 - M_PI / 4)},
      {9, {2, 3, 1, 6}, 3, 5 * std::sqrt(6.0 / 150)},
      {10, {0, 1, 0, 4}, 5.0 / 3, std::sqrt(13.0 / 18)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    Variable v(c.type);
    v.SetParams(c.p[0], c.p[1], c.p[2], c.p[3]);
    v.Select(3);
    ASSERT_EQ(v.Run(DistributionValueTextsOp), 2);
    EXPECT_NEAR(v.Value(1), c.mean, 1e-12 * std::fabs(c.mean));
    EXPECT_NEAR(v.Value(2), c.sd, 1e-12 * c.sd);
  }
}

TEST(DistributionValueTexts, FileTypesShowTheirFileName) {
  Variable f(11);
  SetShortString(f.rv.distribution.u.fileName, 100, "C:\\models\\run\\out.DIS");
  f.Select(1);
  EXPECT_EQ(f.Run(DistributionValueTextsOp), 1);
  EXPECT_EQ(f.Text(1), "out.DIS");
  EXPECT_EQ(f.Value(1), 0);
  Variable s(12);
  SetShortString(s.rv.distribution.u.sample.sampleFile, "data/samples.sam");
  s.Select(1);
  EXPECT_EQ(s.Run(DistributionValueTextsOp), 1);
  EXPECT_EQ(s.Text(1), "samples.sam");
}

// ---- entering values and converting them -------------------------------------------

TEST(EnterDistributionValues, UniformFromQuantilesAndMoments) {
  Variable u(2);
  u.Select(2);
  u.SetValues({0.5, 5, 9.5});
  EXPECT_EQ(u.Run(EnterDistributionValuesOp), 2);
  EXPECT_NEAR(u.Param(1), 0, 1e-14);
  EXPECT_NEAR(u.Param(2), 10, 1e-14);
  u.Select(3);
  u.SetValues({5, std::sqrt(3.0)});
  EXPECT_EQ(u.Run(EnterDistributionValuesOp), 2);
  EXPECT_NEAR(u.Param(1), 2, 1e-14);
  EXPECT_NEAR(u.Param(2), 8, 1e-14);
}

// Parameters -> main quantiles or moments -> parameters. The Uniform, Normal
// and LogUniform quantiles and the Uniform and Normal moments convert back to
// rounding; the LogUniform moments to the root finder's 1e-8; the LogNormal
// moments use 1.6449 one way and z(0.95) = 1.6448536 the other, so the error
// factor comes back as EF^(z95/1.6449), within a relative 3e-5 in ln EF.
TEST(EnterDistributionValues, RoundTripsThroughQuantilesAndMoments) {
  struct Case {
    int type;
    double p1, p2;
    int selector;
    double relTolerance;
  } cases[] = {
      {2, -3, 7, 2, 1e-13},    {2, -3, 7, 3, 1e-13}, {3, 0.002, 50, 2, 1e-12},
      {3, 0.002, 50, 3, 1e-7}, {3, 1, 1.5, 3, 1e-7}, {4, 12, 0.7, 2, 1e-13},
      {4, 12, 0.7, 3, 1e-14},  {5, 3, 4, 2, 1e-12},  {5, 0.01, 10, 2, 1e-12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " selector " << c.selector);
    Variable v(c.type);
    v.SetParams(c.p1, c.p2);
    v.Select(c.selector);
    ASSERT_GT(v.Run(DistributionValueTextsOp), 0);
    v.SetParams(-99, -99);
    ASSERT_EQ(v.Run(EnterDistributionValuesOp), 2) << v.Text(1);
    EXPECT_NEAR(v.Param(1), c.p1, c.relTolerance * std::fabs(c.p1));
    EXPECT_NEAR(v.Param(2), c.p2, c.relTolerance * std::fabs(c.p2));
  }
  Variable ln(5);
  ln.SetParams(3, 4);
  ln.Select(3);
  ASSERT_EQ(ln.Run(DistributionValueTextsOp), 2);
  ASSERT_EQ(ln.Run(EnterDistributionValuesOp), 2);
  double z95 = static_cast<double>(InverseNormal(0.95L));
  EXPECT_NEAR(std::log(ln.Param(2)), std::log(4.0) * z95 / 1.6449, 1e-12);
  EXPECT_NEAR(std::log(ln.Param(2)) / std::log(4.0), 1, 3e-5);
}

TEST(EnterDistributionValues, ConversionsAreCheckedBeforeTheyAreStored) {
  // LogUniform moments without a root in [m/100000, m]: no hang, no console,
  // the type's message and the record unchanged.
  Variable lu(3);
  lu.SetParams(0.5, 2);
  lu.Select(3);
  lu.SetValues({1, 0});
  EXPECT_EQ(lu.Run(EnterDistributionValuesOp), -1);
  EXPECT_EQ(lu.Text(1), "                  Make b > a > 0");
  EXPECT_EQ(lu.Param(1), 0.5);
  EXPECT_EQ(lu.Param(2), 2);
  lu.SetValues({1, 50});  // a would fall below m/100000
  EXPECT_EQ(lu.Run(EnterDistributionValuesOp), -1);
  // Moments that give a Uniform with b = a fail the Uniform check.
  Variable u(2);
  u.SetParams(1, 2);
  u.Select(3);
  u.SetValues({5, 0});
  EXPECT_EQ(u.Run(EnterDistributionValuesOp), -1);
  EXPECT_EQ(u.Text(1), "                    Make b > a");
  EXPECT_EQ(u.Param(1), 1);
  // A LogNormal from moments with a negative mean.
  Variable ln(5);
  ln.SetParams(1, 2);
  ln.Select(3);
  ln.SetValues({-1, 1});
  EXPECT_EQ(ln.Run(EnterDistributionValuesOp), -1);
  EXPECT_EQ(ln.Text(1), "       Make MEDIAN > 0 & ERRORFACTOR > 1");
  // A missing value is not converted.
  Variable n(4);
  n.SetParams(1, 2);
  n.Select(3);
  n.SetValues({5});
  EXPECT_EQ(n.Run(EnterDistributionValuesOp), -1);
  EXPECT_EQ(n.Param(2), 2);
  // Types 6 to 10 take parameters only.
  Variable w(8);
  w.Select(1);
  w.SetValues({1.5, 2, 0.5});
  EXPECT_EQ(w.Run(EnterDistributionValuesOp), 3);
  EXPECT_EQ(w.Param(2), 1.5);
  EXPECT_EQ(w.Param(3), 2);
  EXPECT_EQ(w.Param(4), 0.5);
}

TEST(EnterDistributionValues, DiscreteValuesAndProbabilities) {
  Variable d(13);
  d.Run(SetDistributionDefaultsOp);
  d.Select(1);
  d.SetValues({1, 2, 3});
  EXPECT_EQ(d.Run(EnterDistributionValuesOp), 20);
  EXPECT_EQ(d.DiscreteCount(), 3);
  EXPECT_EQ(d.DiscreteValue(3), 3.0f);
  EXPECT_TRUE(Missing(d.DiscreteValue(4)));
  d.Select(2);
  d.SetValues({0.2, 0.3, 0.1});
  EXPECT_EQ(d.Run(EnterDistributionValuesOp), 20);
  EXPECT_EQ(d.DiscreteProbability(1), 0.2f);
  EXPECT_EQ(d.DiscreteProbability(2), 0.3f);
  EXPECT_FLOAT_EQ(d.DiscreteProbability(3), 0.5f);  // completed to 1
  EXPECT_TRUE(Missing(d.DiscreteProbability(4)));
  d.Select(-2);
  EXPECT_EQ(d.Run(EnterDistributionValuesOp), 20);
  EXPECT_EQ(d.DiscreteProbability(3), 0.1f);  // as entered
  TDistribution before = d.rv.distribution;
  d.Select(2);
  d.SetValues({0.2, 0.3, 0.6});
  EXPECT_EQ(d.Run(EnterDistributionValuesOp), -1);
  EXPECT_EQ(d.Text(1), " Make sure V values are increasing and sum of P values less than 1");
  d.SetValues({1.2, 0.3});
  EXPECT_EQ(d.Run(EnterDistributionValuesOp), -1);
  EXPECT_EQ(std::memcmp(&before, &d.rv.distribution, sizeof before), 0);
  // The columns as values.
  d.Select(1);
  EXPECT_EQ(d.Run(DistributionValueTextsOp), 20);
  EXPECT_EQ(d.Value(2), 2);
  EXPECT_TRUE(Missing(d.Value(4)));
  EXPECT_EQ(d.Text(2), " 2.00000000000000E+0000");
  EXPECT_EQ(d.Text(4), " ");
  d.Select(2);
  EXPECT_EQ(d.Run(DistributionValueTextsOp), 20);
  EXPECT_FLOAT_EQ(static_cast<float>(d.Value(3)), 0.1f);
  EXPECT_EQ(d.Run(CheckDistributionOp), 20);
}

// A shorter list replaces a longer one whole: no value of the old list stays
// behind its end (shown, and failing the next check). A value entered by
// leaving its cell (-1) is entered into the value column.
TEST(EnterDistributionValues, ShorterDiscreteListReplacesALongerOne) {
  Variable e(13);
  e.Run(SetDistributionDefaultsOp);
  e.Select(1);
  e.SetValues({1, 2, 3, 4, 5});
  ASSERT_EQ(e.Run(EnterDistributionValuesOp), 20);
  ASSERT_EQ(e.DiscreteCount(), 5);
  e.Select(-1);
  e.SetValues({7, 8});
  ASSERT_EQ(e.Run(EnterDistributionValuesOp), 20) << e.Text(1);
  EXPECT_EQ(e.DiscreteCount(), 2);
  EXPECT_EQ(e.DiscreteValue(2), 8.0f);
  for (int k = 3; k <= 20; ++k) EXPECT_TRUE(Missing(e.DiscreteValue(k))) << k;
  e.Select(1);
  EXPECT_EQ(e.Run(DistributionValueTextsOp), 20);
  EXPECT_EQ(e.Text(5), " ");
  EXPECT_EQ(e.Run(CheckDistributionOp), 20) << e.Text(1);
}

// Ten probabilities of 0.1 (or twenty of 0.05) make a whole distribution,
// although their single-precision sum is 1.0000001.
TEST(EnterDistributionValues, DiscreteProbabilitiesWholeDespiteRounding) {
  for (int rows : {10, 20}) {
    SCOPED_TRACE(rows);
    Variable t(13);
    t.Run(SetDistributionDefaultsOp);
    t.Select(1);
    std::vector<double> values, probabilities;
    for (int k = 1; k <= rows; ++k) values.push_back(k);
    t.SetValues(values);
    ASSERT_EQ(t.Run(EnterDistributionValuesOp), 20);
    probabilities.assign(rows, 1.0 / rows);
    t.SetValues(probabilities);
    for (int selector : {2, -2}) {
      t.Select(selector);
      ASSERT_EQ(t.Run(EnterDistributionValuesOp), 20) << t.Text(1);
      EXPECT_NEAR(t.DiscreteProbability(rows), 1.0 / rows, 1e-6);
    }
    probabilities.back() += 1e-4;  // a sum of 1.0001 is still too much
    t.SetValues(probabilities);
    EXPECT_EQ(t.Run(EnterDistributionValuesOp), -1);
  }
}

// ---- display texts --------------------------------------------------------------

TEST(DisplayTexts, TitlesPicturesRepresentationsAndLabels) {
  Variable g(7);
  EXPECT_EQ(g.Run(DistributionTitleOp), 1);
  EXPECT_EQ(g.Text(1), " Gamma       ");
  const int lines[16] = {0, 5, 6, 6, 8, 8, 4, 7, 7, 8, 8, 2, 8, 1, 2, 2};
  for (int type = 1; type <= 15; ++type) {
    SCOPED_TRACE(type);
    Variable v(type);
    ASSERT_EQ(v.Run(DistributionPictureOp), lines[type]);
    for (int k = 1; k <= lines[type]; ++k) {
      std::size_t len = v.Text(k).size();
      EXPECT_TRUE(len == 0 || len == (type == 13 ? 48u : 47u)) << k;
    }
  }
  Variable normal(4);
  normal.Run(DistributionPictureOp);
  EXPECT_EQ(normal.Text(1), "");
  std::string last = "              for x in [-\xEC,\xEC] and \xE5 > 0";
  EXPECT_EQ(normal.Text(8), last + std::string(47 - last.size(), ' '));
  Variable exponential(6);
  exponential.Run(DistributionPictureOp);
  EXPECT_EQ(exponential.Text(3), std::string(47, ' '));
  Variable discrete(13);
  discrete.Run(DistributionPictureOp);
  EXPECT_EQ(discrete.Text(1), "      Enter the value / probability pairs" + std::string(7, ' '));

  Variable beta(9);
  EXPECT_EQ(beta.Run(RepresentationTitlesOp), 3);
  EXPECT_EQ(beta.Text(1), " Parameters           ");
  EXPECT_EQ(beta.Text(2), " Main quantiles       ");
  EXPECT_EQ(beta.Text(3), " Moments              ");
  EXPECT_EQ(discrete.Run(RepresentationTitlesOp), 2);
  EXPECT_EQ(discrete.Text(2), " ");
  Variable file(14);
  EXPECT_EQ(file.Run(RepresentationTitlesOp), 1);

  beta.Select(1);
  for (int k = 1; k <= 20; ++k) SetShortString(beta.rv.text[k - 1], 80, "x");
  EXPECT_EQ(beta.Run(ValueLabelsOp), 4);
  EXPECT_EQ(beta.Text(1), "  \xE0 ");
  EXPECT_EQ(beta.Text(2), "  \xE1 ");
  EXPECT_EQ(beta.Text(3), "  a ");
  EXPECT_EQ(beta.Text(4), "  b ");
  EXPECT_EQ(beta.Text(5), "");
  beta.Select(2);
  EXPECT_EQ(beta.Run(ValueLabelsOp), 3);
  EXPECT_EQ(beta.Text(1), " 5%q");
  EXPECT_EQ(beta.Text(3), "95%q");
  EXPECT_EQ(beta.Text(4), "  b ");  // left as it was
  beta.Select(3);
  EXPECT_EQ(beta.Run(ValueLabelsOp), 2);
  EXPECT_EQ(beta.Text(2), "SDev");
  Variable ln(5);
  ln.Select(1);
  EXPECT_EQ(ln.Run(ValueLabelsOp), 2);
  EXPECT_EQ(ln.Text(1), "MEDI");
  EXPECT_EQ(ln.Text(2), "ERFC");
  file.Select(1);
  EXPECT_EQ(file.Run(ValueLabelsOp), 1);
  EXPECT_EQ(file.Text(1), "Filename");
  discrete.Select(1);
  EXPECT_EQ(discrete.Run(ValueLabelsOp), 20);
  EXPECT_EQ(discrete.Text(20), "Value20");
  discrete.Select(2);
  discrete.Run(ValueLabelsOp);
  EXPECT_EQ(discrete.Text(7), "P7");

  const int editable[16] = {0, 1, 3, 3, 3, 3, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1};
  for (int type = 1; type <= 15; ++type) {
    Variable v(type);
    EXPECT_EQ(v.Run(EditableRepresentationsOp), editable[type]) << type;
  }
}

// ---- the exported interface --------------------------------------------------------

TEST(ExportedInterface, UsesTheModelType) {
  Init_Model_data();
  SetModelType(kFaultTree);
  TExtendedRandomVariable rv;
  std::memset(&rv, 0, sizeof rv);
  rv.distribution.distType = DistLogNormal;
  EXPECT_EQ(Process_extended_random_variable(&rv, SetDistributionDefaultsOp), 2);
  double ef;
  std::memcpy(&ef, rv.distribution.u.raw + 8, sizeof ef);
  EXPECT_EQ(ef, 3);
  SetModelType(kFormula);
  EXPECT_EQ(Process_extended_random_variable(&rv, SetDistributionDefaultsOp), 2);
  std::memcpy(&ef, rv.distribution.u.raw + 8, sizeof ef);
  EXPECT_EQ(ef, 2);
  EXPECT_EQ(Process_extended_random_variable(nullptr, SetDistributionDefaultsOp), 0);
  End_model_data();

  char out[256];
  Get_DistrTitle(13, out);
  EXPECT_STREQ(out, " Discrete    ");
  Get_DistrTitle(15, out);
  EXPECT_STREQ(out, " Distr. File ");
  Get_DistrTitle(16, out);
  EXPECT_STREQ(out, "");
  Get_DistrTitle(0, out);
  EXPECT_STREQ(out, "");
}

}  // namespace
}  // namespace tesmira
