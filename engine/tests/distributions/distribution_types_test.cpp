// Quantile functions and quantile tables of the distribution types against
// independent quantiles (reference_values.h, computed with SciPy), the
// discrete rule, the distribution files, and sampling by table lookup.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "distributions/distribution_types.h"
#include "distributions/special_functions.h"
#include "model/short_string.h"
#include "reference_values.h"

namespace tesmira {
namespace {

TDistribution Make(int type, double p1 = 0, double p2 = 0, double p3 = 0, double p4 = 0) {
  TDistribution d;
  std::memset(&d, 0, sizeof d);
  d.distType = static_cast<uint8_t>(type);
  double p[4] = {p1, p2, p3, p4};
  std::memcpy(d.u.raw, p, sizeof p);
  return d;
}

TDistribution MakeDiscrete(std::vector<float> values, std::vector<float> probabilities) {
  TDistribution d = Make(DistDiscrete);
  for (std::size_t i = 0; i < values.size(); ++i) {
    TDiscretePair pair{values[i], probabilities[i]};
    std::memcpy(&d.u.discrete.pairs[i], &pair, sizeof pair);
  }
  int16_t n = static_cast<int16_t>(values.size());
  std::memcpy(&d.u.discrete.count, &n, sizeof n);
  return d;
}

TDistribution MakeFile(int type, const std::string& name) {
  TDistribution d = Make(type);
  SetShortString(d.u.fileName, sizeof d.u.fileName - 1, name);
  return d;
}

// Tolerances by case: the Normal and LogNormal quantiles carry the 1.5e-8
// error of the inverse normal approximation (in z), the Gamma quantiles the
// relative 5e-6 of the chi-square iteration, the Beta quantiles the 1.49e-8
// Newton step criterion (times b - a); the closed forms are exact to rounding.
double Tolerance(const std::string& name, double expected) {
  if (name == "Normal") return 1.5e-8 * 2.0;
  if (name == "LogNormal") return 5e-8 * std::fabs(expected);
  if (name.rfind("Gamma", 0) == 0) return 5e-6 * std::fabs(expected);
  if (name == "Beta") return 1.49e-8 * 10;
  if (name == "BetaSmallShapes") return 1.49e-8 * 3;
  return 1e-12 * std::max(1.0, std::fabs(expected));
}

TEST(QuantileTable, Resolution10000MatchesExactQuantiles) {
  const int n = 10000;
  std::vector<double> table(n + 1);
  for (const auto& c : reference::kTableCases) {
    SCOPED_TRACE(c.name);
    TDistribution d = Make(c.type, c.p[0], c.p[1], c.p[2], c.p[3]);
    ASSERT_EQ(QuantileTableSize(d, n), n);
    ASSERT_TRUE(TabulateQuantiles(table.data(), d, n));
    for (std::size_t k = 0; k < std::size(reference::kTableIndices); ++k) {
      int i = reference::kTableIndices[k];
      SCOPED_TRACE(i);
      EXPECT_NEAR(table[i], c.expected[k], Tolerance(c.name, c.expected[k]));
    }
    for (int i = 1; i <= n; ++i) ASSERT_LE(table[i - 1], table[i]) << i;
  }
}

TEST(QuantileTable, EndPointsAtResolution100) {
  SetTableResolution(100);
  double t[101];
  TDistribution normal = Make(DistNormal, 0, 1);
  ASSERT_EQ(QuantileTableSize(normal), 100);
  ASSERT_TRUE(TabulateQuantiles(t, normal));
  EXPECT_EQ(t[0], static_cast<double>(InverseNormal(0.0025L)));
  EXPECT_EQ(t[50], 0);
  EXPECT_EQ(t[100], static_cast<double>(InverseNormal(0.9975L)));
  EXPECT_NEAR(t[1], -2.326347874, 2e-8);  // z(0.01)
  TDistribution triangular = Make(DistTriangular, 0, 0.5, 0, 1);
  ASSERT_TRUE(TabulateQuantiles(t, triangular));
  EXPECT_EQ(t[0], 0);
  EXPECT_EQ(t[100], 1);
  EXPECT_EQ(t[50], 0.5);
  // Uniform: 0.25/N at the ends; LogUniform: exactly its bounds.
  ASSERT_TRUE(TabulateQuantiles(t, Make(DistUniform, 0, 4)));
  EXPECT_DOUBLE_EQ(t[0], 0.01);
  EXPECT_DOUBLE_EQ(t[100], 3.99);
  ASSERT_TRUE(TabulateQuantiles(t, Make(DistLogUniform, 0.01, 100)));
  EXPECT_DOUBLE_EQ(t[0], 0.01);
  EXPECT_DOUBLE_EQ(t[100], 100);
  EXPECT_DOUBLE_EQ(t[50], 1);
  ASSERT_TRUE(TabulateQuantiles(t, Make(DistConstant, 7.5)));
  EXPECT_EQ(t[0], 7.5);
  EXPECT_EQ(t[100], 7.5);
}

TEST(QuantileTable, SizeByTypeAndResolution) {
  SetTableResolution(1000);
  EXPECT_EQ(TableResolution(), 1000);
  EXPECT_EQ(QuantileTableSize(Make(DistGamma, 2, 1)), 1000);
  EXPECT_EQ(QuantileTableSize(Make(DistFile100)), 100);
  EXPECT_EQ(QuantileTableSize(Make(DistFile1000)), 1000);
  EXPECT_EQ(QuantileTableSize(Make(DistFile10000)), 10000);
  SetTableResolution(100);
  EXPECT_EQ(QuantileTableSize(Make(DistFile1000)), 1000);  // whatever the resolution
  SetTableResolution(555);                                 // ignored
  EXPECT_EQ(TableResolution(), 100);
  double t[101];
  EXPECT_FALSE(TabulateQuantiles(t, Make(DistSampleFile)));
  EXPECT_FALSE(TabulateQuantiles(t, Make(0)));
  EXPECT_FALSE(TabulateQuantiles(t, Make(16)));
  EXPECT_EQ(DistributionQuantile(Make(DistSampleFile), 0.5L), 0);
  EXPECT_EQ(DistributionQuantile(Make(99), 0.5L), 0);
}

TEST(DistributionQuantile, ClosedForms) {
  // LogNormal: the error factor is the ratio of the 95% quantile to the median.
  EXPECT_NEAR(static_cast<double>(DistributionQuantile(Make(DistLogNormal, 1, 2), 0.95L)), 2.0,
              1e-15);
  EXPECT_NEAR(static_cast<double>(DistributionQuantile(Make(DistLogNormal, 3, 5), 0.5L)), 3.0,
              1e-15);
  // Exponential with rate 2 above 1: median 1 + ln 2 / 2.
  EXPECT_NEAR(static_cast<double>(DistributionQuantile(Make(DistExponential, 2, 0, 0, 1), 0.5L)),
              1 + std::log(2.0) / 2, 1e-15);
  // Weibull with shape 1 is exponential with mean n.
  EXPECT_NEAR(static_cast<double>(DistributionQuantile(Make(DistWeibull, 0, 1, 3, 0), 0.5L)),
              3 * std::log(2.0), 1e-14);
  // Gamma with shape 1 and rate 2 is exponential with rate 2.
  EXPECT_NEAR(static_cast<double>(DistributionQuantile(Make(DistGamma, 1, 2, 0, 0), 0.5L)),
              std::log(2.0) / 2, 5e-6 * std::log(2.0) / 2);
  // Beta(1, 1) on [2, 6] is uniform.
  EXPECT_NEAR(static_cast<double>(DistributionQuantile(Make(DistBeta, 1, 1, 2, 6), 0.3L)), 3.2,
              1e-10);
  // Triangular: both branches.
  TDistribution tri = Make(DistTriangular, 0, 1, 0, 4);  // a 0, m 1, b 4
  EXPECT_NEAR(static_cast<double>(DistributionQuantile(tri, 0.125L)), std::sqrt(0.5), 1e-15);
  EXPECT_NEAR(static_cast<double>(DistributionQuantile(tri, 0.25L)), 1.0, 1e-15);
  EXPECT_NEAR(static_cast<double>(DistributionQuantile(tri, 0.625L)), 4 - std::sqrt(4.5), 1e-15);
}

TEST(DiscreteQuantile, FirstCumulativeSumWithTolerance) {
  TDistribution d = MakeDiscrete({1, 2, 3, 4}, {0.2f, 0.3f, 0.4f, 0.1f});
  struct {
    long double u;
    double expected;
  } cases[] = {{0.0L, 1}, {0.2L, 1},  {0.2000011L, 2}, {0.5L, 2}, {0.5000005L, 2},
               {0.8L, 3}, {0.95L, 4}, {1.0L, 4},       {1.5L, 4}};
  for (auto c : cases)
    EXPECT_EQ(static_cast<double>(DistributionQuantile(d, c.u)), c.expected) << (double)c.u;
  // Single-precision probabilities: a table point exactly on a cumulative sum
  // takes the lower value.
  TDistribution e = MakeDiscrete({10, 20, 30, 40}, {0.35f, 0.35f, 0.2f, 0.1f});
  EXPECT_EQ(DistributionQuantile(e, 0.70L), 20);
  EXPECT_EQ(DistributionQuantile(e, 0.9L), 30);
  // Negative probabilities count by their absolute value.
  TDistribution f = MakeDiscrete({5, 6}, {-0.5f, 0.5f});
  EXPECT_EQ(DistributionQuantile(f, 0.4L), 5);
  EXPECT_EQ(DistributionQuantile(f, 0.6L), 6);
  // A table holds each value in proportion to its probability.
  double t[101];
  ASSERT_TRUE(TabulateQuantiles(t, d, 100));
  int counts[5] = {0, 0, 0, 0, 0};
  for (double v : t) counts[static_cast<int>(v)]++;
  EXPECT_EQ(counts[1], 21);  // i = 0..20
  EXPECT_EQ(counts[2], 30);
  EXPECT_EQ(counts[3], 40);
  EXPECT_EQ(counts[4], 10);
  // A corrupt pair count gives no value beyond the 20 pairs.
  TDistribution g = MakeDiscrete({1}, {1});
  int16_t bad = 300;
  std::memcpy(&g.u.discrete.count, &bad, sizeof bad);
  DistributionQuantile(g, 0.5L);
}

TEST(LookupQuantile, RoundsToNearestTiesToEven) {
  double t[101];
  for (int i = 0; i <= 100; ++i) t[i] = i;
  EXPECT_EQ(LookupQuantile(t, 100, 0.125), 12);
  EXPECT_EQ(LookupQuantile(t, 100, 0.375), 38);
  EXPECT_EQ(LookupQuantile(t, 100, 0.0), 0);
  EXPECT_EQ(LookupQuantile(t, 100, 1.0), 100);
  EXPECT_EQ(LookupQuantile(t, 100, 0.4449), 44);
  EXPECT_EQ(LookupQuantile(t, 100, -0.2), 0);
  EXPECT_EQ(LookupQuantile(t, 100, 1.7), 100);
  EXPECT_EQ(LookupQuantile(t, 100, std::nan("")), 0);
}

// Sampling a table by lookup reproduces the distribution's mean and variance.
// n = 200000 uniforms (fixed seed): the mean is within 4.5 standard errors
// sd/sqrt(n), the variance within 4.5 standard errors sqrt((mu4 - var^2)/n),
// plus 0.2% of the variance for the table's discretisation and cut tails.
TEST(QuantileTable, LookupSamplingReproducesMoments) {
  const int n = 10000, samples = 200000;
  std::vector<double> table(n + 1);
  std::mt19937_64 rng(20261210);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  for (const auto& m : reference::kMoments) {
    SCOPED_TRACE(m.name);
    const reference::TableCase* c = nullptr;
    for (const auto& tc : reference::kTableCases)
      if (std::string(tc.name) == m.name) c = &tc;
    ASSERT_NE(c, nullptr);
    ASSERT_TRUE(
        TabulateQuantiles(table.data(), Make(c->type, c->p[0], c->p[1], c->p[2], c->p[3]), n));
    double sum = 0, sum2 = 0;
    for (int s = 0; s < samples; ++s) {
      double x = LookupQuantile(table.data(), n, uniform(rng)) - m.mean;
      sum += x;
      sum2 += x * x;
    }
    double mean = sum / samples;
    double variance = sum2 / samples - mean * mean;
    EXPECT_NEAR(mean, 0.0, 4.5 * std::sqrt(m.variance / samples));
    EXPECT_NEAR(variance, m.variance,
                4.5 * std::sqrt((m.mu4 - m.variance * m.variance) / samples) + 0.002 * m.variance);
  }
  // The Discrete table: values 1..4 with probabilities 0.2, 0.3, 0.4, 0.1.
  double t[10001];
  ASSERT_TRUE(TabulateQuantiles(t, MakeDiscrete({1, 2, 3, 4}, {0.2f, 0.3f, 0.4f, 0.1f}), 10000));
  double sum = 0, sum2 = 0;
  for (int s = 0; s < samples; ++s) {
    double x = LookupQuantile(t, 10000, uniform(rng));
    sum += x;
    sum2 += x * x;
  }
  double mean = sum / samples, variance = sum2 / samples - mean * mean;
  const double mu = 2.4, var = 0.84, mu4 = 1.6032;  // moments of the discrete law
  EXPECT_NEAR(mean, mu, 4.5 * std::sqrt(var / samples));
  EXPECT_NEAR(variance, var, 4.5 * std::sqrt((mu4 - var * var) / samples));
}

// ---- distribution files ------------------------------------------------------

class QuantileFile : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tesmira_dist_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // A file of `lines` lines "label value" with the given line end.
  std::string Write(const std::string& name, int lines, const std::string& eol, int n = 100) {
    std::string path = (dir_ / name).string();
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < lines; ++i) {
      double label = i == 0 ? 25.0 / n : (i == n ? n - 25.0 / n : i);
      out << label << "   " << (i * 0.5 - 3) << eol;
    }
    return path;
  }

  std::filesystem::path dir_;
};

TEST_F(QuantileFile, ReadsLfAndCrLfFiles) {
  for (std::string eol : {"\n", "\r\n"}) {
    Write("q.dis", 101, eol);
    std::vector<double> t(101, -99);
    ASSERT_TRUE(TabulateQuantiles(t.data(), MakeFile(DistFile100, "q.dis"), dir_.string()));
    for (int i = 0; i <= 100; ++i) EXPECT_EQ(t[i], i * 0.5 - 3);
  }
}

TEST_F(QuantileFile, ValueFormsOfTheDistributionFiles) {
  std::string path = (dir_ / "v.dis").string();
  {
    std::ofstream out(path, std::ios::binary);
    out << "0.25 -1.50000000000000E+0000\r\n";
    for (int i = 1; i < 100; ++i) out << "\t" << i << "\t +" << i << ".5E-0001 trailing text\r\n";
    out << "\r\n";  // a blank line is skipped
    out << "99.75  1.00000000000000E+0003\r\n";
  }
  std::vector<double> t(101, -99);
  ASSERT_TRUE(ReadQuantileFilePath(t.data(), 100, path));
  EXPECT_EQ(t[0], -1.5);
  EXPECT_DOUBLE_EQ(t[7], 0.75);
  EXPECT_EQ(t[100], 1000);
}

TEST_F(QuantileFile, PartialOrBadFilesFail) {
  std::vector<double> t(1001, -99);
  Write("short.dis", 1000, "\n", 1000);  // one line missing
  EXPECT_FALSE(TabulateQuantiles(t.data(), MakeFile(DistFile1000, "short.dis"), dir_.string()));
  EXPECT_FALSE(ReadQuantileFile(t.data(), MakeFile(DistFile100, "missing.dis"), dir_.string()));
  EXPECT_FALSE(ReadQuantileFile(t.data(), MakeFile(DistFile100, ""), dir_.string()));
  EXPECT_FALSE(ReadQuantileFile(t.data(), MakeFile(DistFile100, "."), dir_.string()));
  std::string bad = (dir_ / "bad.dis").string();
  for (const char* line : {"1 x\n", "1\n", "1 2x\n", "1 nan\n", "1,5 2\n"}) {
    std::ofstream(bad, std::ios::binary) << line;
    EXPECT_FALSE(ReadQuantileFilePath(t.data(), 0, bad));
    std::vector<double> one(2, -99);
    std::ofstream(bad, std::ios::binary) << "0 1\n" << line;
    EXPECT_FALSE(ReadQuantileFilePath(one.data(), 1, bad)) << line;
  }
  // A value beyond the double range, written out in 10 000 digits.
  std::ofstream(bad, std::ios::binary) << "0 1\n1 " << std::string(10000, '5') << "\n";
  std::vector<double> two(2, -99);
  EXPECT_FALSE(ReadQuantileFilePath(two.data(), 1, bad));
  // A line of any length is read: here blanks and a remark of 10 000 characters.
  std::ofstream(bad, std::ios::binary)
      << "0 1\n1" << std::string(5000, ' ') << "3 " << std::string(5000, 'r') << "\n";
  EXPECT_TRUE(ReadQuantileFilePath(two.data(), 1, bad));
  EXPECT_EQ(two[1], 3);
  // The last line may lack its line end.
  std::ofstream(bad, std::ios::binary) << "0 1\n1 2";
  EXPECT_TRUE(ReadQuantileFilePath(two.data(), 1, bad));
  EXPECT_EQ(two[1], 2);
  // Extra lines after the N + 1 read are ignored.
  Write("long.dis", 150, "\n");
  EXPECT_TRUE(TabulateQuantiles(t.data(), MakeFile(DistFile100, "long.dis"), dir_.string()));
}

TEST_F(QuantileFile, FileNameResolution) {
  Write("Quant.DIS", 10001, "\n", 10000);
  std::vector<double> t(10001, -99);
  // Relative to the model folder, without regard to case, Windows separators.
  EXPECT_TRUE(TabulateQuantiles(t.data(), MakeFile(DistFile10000, "quant.dis"), dir_.string()));
  EXPECT_EQ(t[10000], 10000 * 0.5 - 3);
  std::filesystem::create_directories(dir_ / "sub");
  Write("sub/q.dis", 101, "\n");
  EXPECT_TRUE(TabulateQuantiles(t.data(), MakeFile(DistFile100, "sub\\q.dis"), dir_.string()));
  // An absolute name is used as it stands.
  EXPECT_TRUE(TabulateQuantiles(t.data(), MakeFile(DistFile100, (dir_ / "sub/q.dis").string()),
                                "/elsewhere"));
  EXPECT_EQ(ResolveDistributionFile("a\\b.dis", "/m/"), "/m/a/b.dis");
  EXPECT_EQ(ResolveDistributionFile("b.dis", "C:\\models"), "C:/models/b.dis");
}

}  // namespace
}  // namespace tesmira
