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
  EXPECT_NEAR(Spearman(c[0], c[4]), 0.0, 0.5);  // only through u

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
