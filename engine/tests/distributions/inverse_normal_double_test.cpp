// InverseNormalDouble against the exact value of Odeh and Evans' approximation
// at the same argument, evaluated here in quadruple precision from the
// published coefficients (113-bit significand: even the cancellation of
// y + P(y)/Q(y) near u = 0.5, eight digits, leaves it exact far beyond the
// 1e-15 tested).
#include <gtest/gtest.h>
#include <quadmath.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "distributions/special_functions.h"
#include "reference_values.h"

namespace tesmira {
namespace {

using Quad = __float128;

constexpr double kRelative = 1e-15;

Quad Q(const char* text) { return strtoflt128(text, nullptr); }

// Odeh and Evans' formula at the double u, in quadruple precision.
Quad As70(double u) {
  static const Quad p[5] = {Q("-0.322232431088"), Q("-1.0"), Q("-0.342242088547"),
                            Q("-0.0204231210245"), Q("-0.453642210148e-4")};
  static const Quad q[5] = {Q("0.0993484626060"), Q("0.588581570495"), Q("0.531103462366"),
                            Q("0.103537752850"), Q("0.38560700634e-2")};
  if (u == 0.5) return 0;
  const Quad x = u;
  const Quad v = x < 1 - x ? x : 1 - x;  // exact: 1 - x needs at most 113 bits
  const Quad y = sqrtq(-logq(v * v));    // v * v is exact too
  Quad num = p[4], den = q[4];
  for (int k = 3; k >= 0; --k) {
    num = num * y + p[k];
    den = den * y + q[k];
  }
  const Quad z = y + num / den;
  return u >= 0.5 ? z : -z;
}

double RelativeError(double u, double z) {
  const Quad exact = As70(u);
  if (exact == 0) return z == 0 ? 0 : 1;
  return static_cast<double>(fabsq((z - exact) / exact));
}

double RelativeError(double u) { return RelativeError(u, InverseNormalDouble(u)); }

// splitmix64: a fixed stream of points, the same on every platform.
class PointStream {
 public:
  explicit PointStream(uint64_t seed) : state_(seed) {}
  double Next() {  // in [0, 1), 53 random bits
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return static_cast<double>((z ^ (z >> 31)) >> 11) * 0x1p-53;
  }

 private:
  uint64_t state_;
};

TEST(InverseNormalDouble, ExactApproximationAtChosenPoints) {
  const double lo = 0x1p-33, hi = 1 - 0x1p-33;
  // clang-format off
  const double points[] = {
      std::nextafter(lo, 1.0), 0x1p-32, 1e-9, 1e-6, 1e-3, 0.01, 0.1, 0.25, 0.4,
      0.5 - 1e-6, 0.5 - 0x1p-33, std::nextafter(0.5, 0.0),
      std::nextafter(0.5, 1.0), 0.5 + 0x1p-33, 0.5 + 1e-6,
      0.6, 0.75, 0.9, 0.95, 0.975, 0.999, 1 - 1e-6, 1 - 0x1p-32, std::nextafter(hi, 0.0)};
  // clang-format on
  for (double u : points) EXPECT_LT(RelativeError(u), kRelative) << u;
  EXPECT_EQ(InverseNormalDouble(0.5), 0);
  // Beside 0.5 the approximation is not 0 but its offset N(y0)/Q(y0).
  EXPECT_NEAR(InverseNormalDouble(std::nextafter(0.5, 1.0)), 1.4900501619743459e-8, 1e-15);
  EXPECT_NEAR(InverseNormalDouble(std::nextafter(0.5, 0.0)), -1.4900501619743459e-8, 1e-15);
  EXPECT_NEAR(InverseNormalDouble(0.95), 1.6448536, 1e-7);
}

TEST(InverseNormalDouble, ExactApproximationOverADenseSweep) {
  // Arguments spread evenly in log(v), v = min(u, 1 - u), over (2^-33, 0.5),
  // and evenly in log|u - 0.5| down to 2^-53 beside the centre; both sides.
  // Their scores come from the batch, which must also match one by one.
  PointStream points(20261211);
  std::vector<double> u;
  for (int k = 0; k < 100000; ++k) {
    const double v =
        k % 2 == 0 ? std::exp2(-1 - 32 * points.Next()) : 0.5 - std::exp2(-2 - 51 * points.Next());
    for (double w : {v, 1 - v})
      if (w > 0x1p-33 && w < 1 - 0x1p-33) u.push_back(w);
  }
  std::vector<double> z(u.size());
  InverseNormalDouble(u.data(), z.data(), u.size());
  double worst = 0, worstU = 0;
  int differ = 0;
  for (std::size_t i = 0; i < u.size(); ++i) {
    const double e = RelativeError(u[i], z[i]);
    if (e > worst) {
      worst = e;
      worstU = u[i];
    }
    if (z[i] != InverseNormalDouble(u[i])) ++differ;
  }
  EXPECT_LT(worst, kRelative) << "at u = " << worstU;
  EXPECT_EQ(differ, 0);
}

TEST(InverseNormalDouble, BatchOfAnyLengthInPlaceAndAtTheEdges) {
  // Lengths around the vector widths and the batch's chunk of 64; arguments
  // whose 2 min(u, 1 - u) is not a normal double take another logarithm.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double edges[] = {1e-310, 0x1p-1022, 0.5, 1e-300, 0.0, nan, 1.0};
  PointStream points(3);
  for (std::size_t n : {1, 3, 8, 13, 20, 64, 65, 150}) {
    std::vector<double> u(n);
    for (std::size_t i = 0; i < n; ++i) u[i] = i % 9 == 4 ? edges[i / 9 % 7] : points.Next();
    std::vector<double> z(u);
    InverseNormalDouble(z.data(), z.data(), n);
    for (std::size_t i = 0; i < n; ++i) {
      const double one = InverseNormalDouble(u[i]);
      if (std::isnan(one))
        EXPECT_TRUE(std::isnan(z[i])) << n << " " << u[i];
      else
        EXPECT_EQ(z[i], one) << n << " " << u[i];
    }
  }
  EXPECT_LT(RelativeError(1e-310), kRelative);
  EXPECT_LT(RelativeError(1e-300), kRelative);
  EXPECT_TRUE(std::isnan(InverseNormalDouble(0.0)));  // as InverseNormal
}

TEST(InverseNormalDouble, OddAboutOneHalf) {
  // For u >= 0.5, 1 - u is exact, so both arguments give the same v.
  PointStream points(7);
  for (int k = 0; k < 10000; ++k) {
    const double u = 0.5 + 0.5 * points.Next();
    EXPECT_EQ(InverseNormalDouble(1 - u), -InverseNormalDouble(u)) << u;
  }
}

TEST(InverseNormalDouble, WithinApproximationErrorOfTheQuantile) {
  for (const auto& r : reference::kInverseNormal)
    EXPECT_NEAR(InverseNormalDouble(r.x), r.y, 1.5e-8) << r.x;
}

}  // namespace
}  // namespace tesmira
