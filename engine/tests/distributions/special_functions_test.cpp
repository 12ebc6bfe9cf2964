// The special functions against independent values (reference_values.h,
// computed with SciPy) and against closed forms.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "distributions/special_functions.h"
#include "reference_values.h"

namespace tesmira {
namespace {

const long double kNaN = std::numeric_limits<long double>::quiet_NaN();

TEST(Power, SignsAndZero) {
  EXPECT_EQ(Power(-2, 3), -8);
  EXPECT_EQ(Power(-2, 2), 4);
  EXPECT_EQ(Power(-2, 0.5), 0);
  EXPECT_EQ(Power(0, -1), 0);
  EXPECT_EQ(Power(0, 2), 0);
  EXPECT_NEAR(static_cast<double>(Power(2, 0.5)), std::sqrt(2.0), 1e-15);
  EXPECT_NEAR(static_cast<double>(Power(-3, 2.0000000001)), 9, 1e-8);  // integral within 1e-9
}

// Odeh and Evans' approximation is accurate to 1.5e-8 in z.
TEST(InverseNormal, WithinApproximationError) {
  for (const auto& r : reference::kInverseNormal) {
    SCOPED_TRACE(r.x);
    EXPECT_NEAR(static_cast<double>(InverseNormal(r.x)), r.y, 1.5e-8);
  }
  EXPECT_EQ(InverseNormal(0.5L), 0);
  EXPECT_NEAR(static_cast<double>(InverseNormal(0.95L)), 1.6448536, 1e-7);
  EXPECT_EQ(InverseNormal(0.05L), -InverseNormal(0.95L));
}

TEST(GammaFunction, RelativeErrorBelow1e14) {
  for (const auto& r : reference::kGamma) {
    SCOPED_TRACE(r.x);
    EXPECT_NEAR(static_cast<double>(GammaFunction(r.x)) / r.y, 1.0, 1e-14);
  }
  EXPECT_NEAR(static_cast<double>(GammaFunction(5)), 24, 1e-12);
  EXPECT_NEAR(static_cast<double>(GammaFunction(0.5L)), std::sqrt(M_PI), 1e-15);
  EXPECT_EQ(GammaFunction(0), -777);
  EXPECT_EQ(GammaFunction(-1.5L), -777);
}

TEST(LogGamma, ErrorBelow1e14) {
  for (const auto& r : reference::kLogGamma) {
    SCOPED_TRACE(r.x);
    EXPECT_NEAR(static_cast<double>(LogGamma(r.x)), r.y, 1e-14 * std::max(1.0, std::fabs(r.y)));
  }
  EXPECT_EQ(LogGamma(-3), 0);
  EXPECT_EQ(LogGamma(0), 0);
}

TEST(IncompleteGamma, AbsoluteErrorBelow1e13) {
  for (const auto& r : reference::kIncompleteGamma) {
    SCOPED_TRACE(testing::Message() << "a=" << r.a << " x=" << r.b);
    EXPECT_NEAR(static_cast<double>(IncompleteGamma(r.a, r.b)), r.y, 1e-13);
  }
  EXPECT_EQ(IncompleteGamma(2, 0), 0);
}

// The final relative test of the iteration is 5e-6.
TEST(ChiSquareQuantile, RelativeErrorBelow5e6) {
  for (const auto& r : reference::kChiSquareQuantile) {
    SCOPED_TRACE(testing::Message() << "nu=" << r.a << " p=" << r.b);
    EXPECT_NEAR(static_cast<double>(ChiSquareQuantile(r.a, r.b)) / r.y, 1.0, 5e-6);
  }
  EXPECT_NEAR(static_cast<double>(ChiSquareQuantile(2, 0.5L)) / (2 * std::log(2.0)), 1.0, 5e-6);
  EXPECT_EQ(ChiSquareQuantile(2, 0.000001L), 0);
  EXPECT_EQ(ChiSquareQuantile(2, 0.999999L), 0);
  EXPECT_EQ(ChiSquareQuantile(0, 0.5L), 0);
  EXPECT_EQ(ChiSquareQuantile(-1, 0.5L), 0);
}

TEST(IncompleteBeta, AbsoluteErrorBelow1e13) {
  for (const auto& r : reference::kIncompleteBeta) {
    SCOPED_TRACE(testing::Message() << r.a << "," << r.b << " x=" << r.x);
    EXPECT_NEAR(static_cast<double>(IncompleteBeta(r.a, r.b, r.x)), r.y, 1e-13);
  }
  EXPECT_EQ(IncompleteBeta(2, 3, 0), 0);
  EXPECT_EQ(IncompleteBeta(2, 3, 1), 1);
  // The density is the derivative of the distribution function.
  long double h = 1e-6L;
  long double slope = (IncompleteBeta(3, 5, 0.3L + h) - IncompleteBeta(3, 5, 0.3L - h)) / (2 * h);
  EXPECT_NEAR(static_cast<double>(BetaDensity(3, 5, 0.3L)), static_cast<double>(slope), 1e-8);
}

// The Newton iteration stops once a step is below sqrt(2.2204e-16) = 1.49e-8,
// relative or absolute: the quantile is exact to that absolute error (much
// better where the density is moderate).
TEST(BetaQuantile, AbsoluteErrorBelowStepCriterion) {
  for (const auto& r : reference::kBetaQuantile) {
    SCOPED_TRACE(testing::Message() << r.a << "," << r.b << " u=" << r.x);
    EXPECT_NEAR(static_cast<double>(BetaQuantile(r.a, r.b, r.x)), r.y, 1.49e-8);
  }
  EXPECT_NEAR(static_cast<double>(BetaQuantile(2, 2, 0.5L)), 0.5, 1e-12);
  for (long double u : {0.001L, 0.2L, 0.5L, 0.9L, 0.999L})
    EXPECT_NEAR(static_cast<double>(BetaQuantile(1, 1, u)), static_cast<double>(u), 1e-12);
  EXPECT_EQ(BetaQuantile(3, 4, 0), 0);
  EXPECT_EQ(BetaQuantile(3, 4, 1), 1);
  EXPECT_EQ(BetaQuantileStart(3, 4, 1e-11L), 0);
  EXPECT_EQ(BetaQuantileStart(3, 4, 0.99999999995L), 1);
}

TEST(RTSAFE, FindsBracketedRootAndReportsFailures) {
  auto f = [](long double x, long double& v, long double& d) {
    v = x * x * x - 2;
    d = 3 * x * x;
  };
  RootResult r = RTSAFE(1e-12L, 0, 3, f);
  EXPECT_EQ(r.status, RootStatus::Converged);
  EXPECT_NEAR(static_cast<double>(r.root), std::cbrt(2.0), 1e-11);
  EXPECT_EQ(RTSAFE(1e-12L, 2, 3, f).status, RootStatus::NotBracketed);
  auto g = [](long double x, long double& v, long double& d) {
    v = x < 1 ? -1 : 1;  // a jump: bisection only, 100 steps do not reach 1e-40
    d = 0;
  };
  EXPECT_EQ(RTSAFE(1e-40L, 0, 3, g).status, RootStatus::NotConverged);
}

// NaN arguments end every iteration (each has a cap) instead of hanging.
TEST(SpecialFunctions, NaNArgumentsTerminate) {
  EXPECT_TRUE(std::isnan(static_cast<double>(IncompleteGamma(kNaN, 1))));
  EXPECT_TRUE(std::isnan(static_cast<double>(IncompleteGamma(2, kNaN))));
  EXPECT_EQ(ChiSquareQuantile(kNaN, 0.5L), 0);
  EXPECT_EQ(ChiSquareQuantile(3, kNaN), 0);
  EXPECT_TRUE(std::isnan(static_cast<double>(IncompleteBeta(kNaN, 2, 0.5L))));
  BetaQuantile(kNaN, 2, 0.5L);
  BetaQuantile(2, kNaN, 0.3L);
  long double huge = 1e300L;
  ChiSquareQuantile(huge, 0.5L);
  auto nanf = [](long double, long double& v, long double& d) {
    v = std::numeric_limits<long double>::quiet_NaN();
    d = v;
  };
  EXPECT_NE(RTSAFE(1e-8L, 0, 1, nanf).status, RootStatus::Converged);
  SUCCEED();
}

}  // namespace
}  // namespace tesmira
