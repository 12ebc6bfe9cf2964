// NormalCdfDouble against the C library's erfc at the same argument (the
// scalar NormalCdfSeries) and against the exact Phi in
// quadruple precision.
#include <gtest/gtest.h>
#include <quadmath.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "distributions/special_functions.h"

namespace tesmira {
namespace {

using Quad = __float128;

constexpr double kRootHalf = 0.70710678118654752440;

// Two exponentials, a product and a quotient each rounded on its own: where
// an exponential of the library's rounds the other way than ours (both are
// within about 0.51 ulp of the exact value), the result moves by up to 3 ulp.
constexpr int64_t kUlps = 3;

// Distance in representable doubles (both finite, same sign or zero).
int64_t UlpsApart(double a, double b) {
  int64_t ia, ib;
  std::memcpy(&ia, &a, sizeof ia);
  std::memcpy(&ib, &b, sizeof ib);
  return ia > ib ? ia - ib : ib - ia;
}

std::vector<double> Batch(const std::vector<double>& x) {
  std::vector<double> p(x.size());
  NormalCdfDouble(x.data(), p.data(), x.size());
  return p;
}

// The arguments x whose y = -x / sqrt 2 lies at a boundary of the method's
// pieces (0.84375, 1.25, 1 / 0.35 to 21 bits, 6, 26 where the library takes
// over, 28), three doubles either side, for y and -y.
std::vector<double> BoundaryArguments() {
  std::vector<double> x;
  for (double y : {0.84375, 1.25, 0x1.6db6dp+1, 6.0, 26.0, 28.0}) {
    for (double sign : {1.0, -1.0}) {
      double lo = -sign * y / kRootHalf, hi = lo;
      x.push_back(lo);
      for (int k = 0; k < 3; ++k) {
        lo = std::nextafter(lo, -INFINITY);
        hi = std::nextafter(hi, INFINITY);
        x.push_back(lo);
        x.push_back(hi);
      }
    }
  }
  return x;
}

TEST(NormalCdfDouble, LibraryValuesAtChosenPoints) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // clang-format off
  std::vector<double> x = {
      0.0, -0.0, 5e-324, -5e-324, 1e-300, -1e-300, 0x1p-56, -0x1p-56, 1e-9, -1e-9,
      0.3535533905932737, -0.3535533905932738,  // y = -/+ 0.25
      1.0, -1.0, 2.0, -2.0, 3.0, -3.0, 5.0, -5.0, 8.0, -8.0, 9.0, -9.0, 12.0, -12.0,
      20.0, -20.0, 30.0, -30.0, 36.0, -36.0, 38.0, -38.0, 40.0, -40.0,
      1e300, -1e300, inf, -inf, nan};
  // clang-format on
  for (double b : BoundaryArguments()) x.push_back(b);
  const std::vector<double> p = Batch(x);
  for (std::size_t i = 0; i < x.size(); ++i) {
    SCOPED_TRACE(x[i]);
    const double want = NormalCdfSeries(x[i]);
    EXPECT_LE(UlpsApart(p[i], want), kUlps) << p[i] << " " << want;
  }
  // Saturation and NaN exactly as the library's value gives them.
  const std::vector<double> special = Batch({-40.0, 40.0, -inf, inf, -1e300, 1e300, nan, 9.0});
  EXPECT_EQ(special[0], NormalCdfSeries(-40.0));
  EXPECT_EQ(special[1], 1.0);
  EXPECT_EQ(special[2], 0.0);
  EXPECT_EQ(special[3], 1.0);
  EXPECT_EQ(special[4], 0.0);
  EXPECT_EQ(special[5], 1.0);
  EXPECT_EQ(special[6], 0.5);
  EXPECT_EQ(special[7], 1.0);  // 1 - 1.1e-19 rounds to 1
  EXPECT_EQ(Batch({0.0})[0], 0.5);
  EXPECT_EQ(Batch({-0.0})[0], 0.5);
}

TEST(NormalCdfDouble, DenseSweepAgainstLibraryAndExactPhi) {
  // x uniform over [-40, 40], normal scores as a run draws them, and |x|
  // spread evenly in log over (4e-20, 40); every point also with -x.
  std::mt19937_64 bits(20261211);
  const auto unit = [&bits] { return static_cast<double>(bits() >> 11) * 0x1p-53; };
  std::normal_distribution<double> normal;
  std::vector<double> x = BoundaryArguments();
  for (int k = 0; k < 60000; ++k) {
    double v = 0;
    switch (k % 3) {
      case 0: v = 40 * unit(); break;
      case 1: v = std::fabs(normal(bits)); break;
      case 2: v = 40 * std::pow(10.0, -21 * unit()); break;
    }
    x.push_back(v);
    x.push_back(-v);
  }
  const std::vector<double> p = Batch(x);
  int64_t worstUlps = 0;
  double worstUlpsAt = 0, worstExact = 0, worstExactAt = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const int64_t ulps = UlpsApart(p[i], NormalCdfSeries(x[i]));
    if (ulps > worstUlps) {
      worstUlps = ulps;
      worstUlpsAt = x[i];
    }
    // Against the exact Phi(x): below the centre relative to Phi, within
    // (3 + 4 y^2) 2^-53 and 4 subnormal steps absolute (below 2^-1022, where
    // the library computes it); above it within 2^-52. y = -x / sqrt 2 is off
    // by up to 1.62 2^-53 relative (the product's rounding and that of
    // 1 / sqrt 2), which moves erfc(y) by 2 y^2 times that; the library's
    // value carries the same.
    const Quad exact = erfcq(-static_cast<Quad>(x[i]) / sqrtq(Quad{2})) / 2;
    const double y = x[i] * kRootHalf;
    const double error = static_cast<double>(fabsq(p[i] - exact) / exact);
    const Quad subnormalStep = 0x1p-1074, halfUlpOfOne = 0x1p-53;
    const double bound =
        static_cast<double>(x[i] <= 0 ? (3 + 4 * y * y) * halfUlpOfOne + 4 * subnormalStep / exact
                                      : 2 * halfUlpOfOne / exact);
    if (error / bound > worstExact) {
      worstExact = error / bound;
      worstExactAt = x[i];
    }
  }
  EXPECT_LE(worstUlps, kUlps) << "at x = " << worstUlpsAt;
  EXPECT_LE(worstExact, 1.0) << "at x = " << worstExactAt;
}

TEST(NormalCdfDouble, SameValuesWhateverTheBatch) {
  // One set of arguments computed in batches of lengths around the vector
  // widths and the chunk of 64, starting at odd and even positions (so at
  // every alignment), in place or not, gives the values of the whole batch.
  std::mt19937_64 bits(5);
  std::normal_distribution<double> normal(0.0, 3.0);
  std::vector<double> x(300);
  for (double& v : x) v = normal(bits);
  x[17] = std::numeric_limits<double>::quiet_NaN();
  x[101] = -37.5;
  x[202] = 1e-300;
  const std::vector<double> whole = Batch(x);
  for (std::size_t length : {1, 2, 3, 4, 5, 7, 8, 9, 13, 20, 63, 64, 65, 130}) {
    for (std::size_t at = length % 2 == 0 ? 1 : 0; at + length <= x.size(); at += length) {
      std::vector<double> alone(length);
      NormalCdfDouble(x.data() + at, alone.data(), length);
      std::vector<double> inPlace(x.begin() + at, x.begin() + at + length);
      NormalCdfDouble(inPlace.data(), inPlace.data(), length);
      for (std::size_t k = 0; k < length; ++k) {
        EXPECT_EQ(UlpsApart(alone[k], whole[at + k]), 0) << length << " " << x[at + k];
        EXPECT_EQ(UlpsApart(inPlace[k], whole[at + k]), 0) << length << " " << x[at + k];
      }
    }
  }
}

}  // namespace
}  // namespace tesmira
