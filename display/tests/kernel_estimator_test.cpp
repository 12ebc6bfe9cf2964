#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "report_capture.h"
#include "stats/dataset.h"
#include "stats/fft.h"
#include "stats/kernel_estimator.h"

namespace {

using stats::Dataset;
using stats::KernelEstimator;

const double kPi = 3.141592653589793;
const double kRoughness = 350.0 / 429.0;  // integral of K^2 for the triweight kernel

std::unique_ptr<Dataset> MakeDataset(const std::vector<double>& v) {
  auto d = std::make_unique<Dataset>(static_cast<int>(v.size()), 1);
  for (std::size_t i = 0; i < v.size(); ++i) d->SetValue(static_cast<int>(i), 0, v[i]);
  return d;
}

std::vector<double> NormalSample(std::size_t n, std::uint64_t seed) {
  std::mt19937_64 gen(seed);
  std::vector<double> v(n);
  for (std::size_t i = 0; i < n; i += 2) {  // Box-Muller from 53-bit uniforms
    double u1 = (static_cast<double>(gen() >> 11) + 1.0) * 0x1p-53;
    double u2 = static_cast<double>(gen() >> 11) * 0x1p-53;
    double r = std::sqrt(-2.0 * std::log(u1));
    v[i] = r * std::cos(2 * kPi * u2);
    if (i + 1 < n) v[i + 1] = r * std::sin(2 * kPi * u2);
  }
  return v;
}

// The plain kernel sum at x, and its first-moment companion.
void DirectSums(const std::vector<double>& data, double h, double x, double& y, double& e) {
  y = e = 0.0;
  for (double xi : data) {
    double u = (x - xi) / h;
    double k = stats::TriweightKernel(u);
    y += k;
    e += u * k;
  }
  y /= data.size() * h;
  e /= data.size() * h;
}

TEST(StatsFft, RealFftMatchesTheDefinition) {
  const std::size_t m = 64;
  std::vector<double> x(m), packed(m);
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> u(-1, 1);
  for (auto& v : x) v = u(gen);
  packed = x;
  stats::RealFft(packed.data(), m, 1);
  // packed[0], packed[1]: real terms of frequencies 0 and m/2; then (re, im) of k.
  for (std::size_t k = 0; k <= m / 2; ++k) {
    double re = 0, im = 0;
    for (std::size_t j = 0; j < m; ++j) {
      re += x[j] * std::cos(2 * kPi * j * k / m);
      im += x[j] * std::sin(2 * kPi * j * k / m);
    }
    if (k == 0) {
      EXPECT_NEAR(packed[0], re, 1e-12);
    } else if (k == m / 2) {
      EXPECT_NEAR(packed[1], re, 1e-12);
    } else {
      EXPECT_NEAR(packed[2 * k], re, 1e-12);
      EXPECT_NEAR(packed[2 * k + 1], im, 1e-12);
    }
  }
  stats::RealFft(packed.data(), m, -1);
  for (std::size_t j = 0; j < m; ++j) EXPECT_NEAR(packed[j], x[j] * (m / 2), 1e-11);

  EXPECT_TRUE(stats::IsPowerOfTwo(2));
  EXPECT_TRUE(stats::IsPowerOfTwo(1024));
  EXPECT_FALSE(stats::IsPowerOfTwo(1));
  EXPECT_FALSE(stats::IsPowerOfTwo(0));
  EXPECT_FALSE(stats::IsPowerOfTwo(12));
  EXPECT_FALSE(stats::IsPowerOfTwo(-8));
}

TEST(StatsKernel, BoundaryWeightsAreTheExactFractions) {
  // At p = 0: a0 = 1/2, a1 = -35/256, a2 = 1/18, so w0 = 32768/5359, w1 = 80640/5359.
  stats::BoundaryMoments m0 = stats::TriweightPartialMoments(0.0);
  EXPECT_DOUBLE_EQ(m0.a0, 0.5);
  EXPECT_DOUBLE_EQ(m0.a1, -35.0 / 256.0);
  EXPECT_DOUBLE_EQ(m0.a2, 1.0 / 18.0);
  double w0, w1;
  stats::BoundaryWeights(0.0, w0, w1);
  EXPECT_NEAR(w0, 32768.0 / 5359.0, 1e-14);
  EXPECT_NEAR(w1, 80640.0 / 5359.0, 1e-14);
  // At p = 1 the whole kernel is inside: a0 = 1, a1 = 0, a2 = 1/9; w0 = 1, w1 = 0.
  stats::BoundaryMoments m1 = stats::TriweightPartialMoments(1.0);
  EXPECT_NEAR(m1.a0, 1.0, 1e-15);
  EXPECT_NEAR(m1.a1, 0.0, 1e-15);
  EXPECT_NEAR(m1.a2, 1.0 / 9.0, 1e-15);
  stats::BoundaryWeights(1.0, w0, w1);
  EXPECT_NEAR(w0, 1.0, 1e-14);
  EXPECT_NEAR(w1, 0.0, 1e-14);
  // Between: the partial moments of the kernel over [-1, p] by Simpson's rule.
  for (double p : {0.1, 0.37, 0.5, 0.83}) {
    const int steps = 2000;
    double s[3] = {0, 0, 0};
    for (int i = 0; i <= steps; ++i) {
      double u = -1.0 + (p + 1.0) * i / steps;
      double w = (i == 0 || i == steps) ? 1 : (i % 2 ? 4 : 2);
      double k = stats::TriweightKernel(u);
      s[0] += w * k;
      s[1] += w * u * k;
      s[2] += w * u * u * k;
    }
    const double f = (p + 1.0) / steps / 3.0;
    stats::BoundaryMoments m = stats::TriweightPartialMoments(p);
    EXPECT_NEAR(m.a0, s[0] * f, 1e-12) << p;
    EXPECT_NEAR(m.a1, s[1] * f, 1e-12) << p;
    EXPECT_NEAR(m.a2, s[2] * f, 1e-12) << p;
  }
}

TEST(StatsKernel, BinnedEstimateMatchesTheDirectKernelSum) {
  std::vector<double> data = NormalSample(2000, 11);
  auto d = MakeDataset(data);
  const double h = 0.4;
  KernelEstimator k(d.get(), 512, h, 0, 0.0, 0.0);
  ASSERT_EQ(k.noPoints(), 512);
  EXPECT_DOUBLE_EQ(k.GridStart(), d->ColumnMin(0) - h);
  EXPECT_DOUBLE_EQ(k.GridEnd(), d->ColumnMax(0) + h);
  // Linear binning shares each value between its two grid points; the error per
  // value is at most step^2/8 * max|K''| / h^3 (2.4e-3 here) and averages out
  // over many values: about 4e-5 is seen.
  const double tolerance = 2e-4;
  for (int j = 0; j < 512; j += 3) {
    double x, y, direct, e;
    k.GridPoint(j, x, y);
    DirectSums(data, h, x, direct, e);
    ASSERT_NEAR(y, direct, tolerance) << "grid point " << j;
  }
}

TEST(StatsKernel, NormalSampleIntegratesToOneAndMatchesTheDensity) {
  const std::size_t n = 100000;
  std::vector<double> data = NormalSample(n, 2024);
  auto d = MakeDataset(data);
  const double h = 0.25;
  KernelEstimator k(d.get(), 1024, h, 0, 0.0, 0.0);  // bounds 0, 0: no correction
  double mass = 0, first = 0, second = 0;
  for (int j = 0; j < k.noPoints(); ++j) {
    double x, y;
    k.GridPoint(j, x, y);
    mass += y * k.GridStep();
    first += x * y * k.GridStep();
    second += x * x * y * k.GridStep();
  }
  EXPECT_NEAR(mass, 1.0, 1e-6);
  // Linear binning keeps the mean; the kernel adds h^2 / 9 to the second moment.
  double mean = 0, square = 0;
  for (double x : data) {
    mean += x;
    square += x * x;
  }
  mean /= n;
  square /= n;
  EXPECT_NEAR(first, mean, 1e-6);
  EXPECT_NEAR(second, square + h * h / 9.0, 1e-4);
  // Pointwise: bias at most h^2/2 * (1/9) * max|phi''| (= 0.0014 here) plus five
  // standard deviations sqrt(phi R(K) / (n h)) of the estimate.
  const double bias = h * h / 2.0 / 9.0 * 0.3990;
  int checked = 0;
  for (int j = 0; j < k.noPoints(); ++j) {
    double x, y;
    k.GridPoint(j, x, y);
    if (std::fabs(x) > 4.0) continue;
    double phi = std::exp(-0.5 * x * x) / std::sqrt(2 * kPi);
    double sd = std::sqrt(phi * kRoughness / (n * h));
    ASSERT_NEAR(y, phi, bias + 5.0 * sd + 1e-4) << "x = " << x;
    ++checked;
  }
  EXPECT_GT(checked, 800);
}

// The boundary-corrected density computed directly from its definition.
double DirectCorrected(const std::vector<double>& data, double h, double x, double lower,
                       double upper) {
  if (x < lower || x > upper) return 0.0;
  double y, e;
  DirectSums(data, h, x, y, e);
  double w0, w1;
  if (x - lower < h) {
    stats::BoundaryWeights((x - lower) / h, w0, w1);
    y = w0 * y + w1 * e;
  }
  if (upper - x < h) {
    stats::BoundaryWeights((upper - x) / h, w0, w1);
    y = w0 * y - w1 * e;
  }
  return y;
}

TEST(StatsKernel, BoundaryCorrectionKeepsUniformDensityUpToTheEdges) {
  // A perfectly even sample of the uniform density on [0, 1].
  const std::size_t n = 20000;
  std::vector<double> data(n);
  for (std::size_t i = 0; i < n; ++i) data[i] = (i + 0.5) / n;
  auto d = MakeDataset(data);
  const double h = 0.1;
  KernelEstimator k(d.get(), 512, h, 0, 0.0, 1.0);
  KernelEstimator plain(d.get(), 512, h, 0, -5.0, 5.0);  // bounds far away: no correction
  double x, y, y_plain;
  int inside = 0;
  for (int j = 0; j < k.noPoints(); ++j) {
    k.GridPoint(j, x, y);
    plain.GridPoint(j, x, y_plain);
    if (x < 0.0 || x > 1.0) {
      EXPECT_EQ(y, 0.0) << x;
      continue;
    }
    ++inside;
    // The linear boundary kernel reproduces a constant density exactly; what
    // remains is the error of binning on a grid of step h/40 (about 7e-4).
    ASSERT_NEAR(y, 1.0, 2e-3) << "x = " << x;
    ASSERT_NEAR(y, DirectCorrected(data, h, x, 0.0, 1.0), 2e-3) << "x = " << x;
  }
  EXPECT_GT(inside, 300);
  // Without the correction the estimate falls to one half at the edges.
  plain.GridPoint(static_cast<int>(std::ceil(h / plain.GridStep())), x, y_plain);
  EXPECT_NEAR(x, 0.0, plain.GridStep());
  EXPECT_NEAR(y_plain, 0.5, 0.03);

  // A random uniform sample of 10^5 values, within five standard deviations.
  // The variance of the corrected estimate is the integral of (w0 + w1 u)^2 K(u)^2
  // over [-1, p], divided by n h; it is largest at the bound (p = 0), where the
  // integral is 5.685 (by quadrature), and 350/429 away from the bounds.
  std::mt19937_64 gen(99);
  std::vector<double> random(100000);
  for (double& v : random) v = static_cast<double>(gen() >> 11) * 0x1p-53;
  auto rd = MakeDataset(random);
  KernelEstimator rk(rd.get(), 512, h, 0, 0.0, 1.0);
  const double sd_edge = std::sqrt(5.685 / (random.size() * h));
  const double sd_inner = std::sqrt(kRoughness / (random.size() * h));
  for (int j = 0; j < rk.noPoints(); ++j) {
    rk.GridPoint(j, x, y);
    if (x < 0.0 || x > 1.0) continue;
    bool near_edge = x < h || x > 1.0 - h;
    ASSERT_NEAR(y, 1.0, 5.0 * (near_edge ? sd_edge : sd_inner) + 2e-3) << "x = " << x;
  }
}

// Eight values on [0, 1], bandwidth 0.35, 32 grid points. The expected densities
// come from an independent computation of the same estimate (linear binning,
// circular convolution summed directly, boundary weights from the kernel's
// partial moments integrated as polynomials), with numpy.
TEST(StatsKernel, BinnedEstimateMatchesTheReferenceValues) {
  auto d = MakeDataset({0.77, 0.0, 0.42, 1.0, 0.05, 0.9, 0.3, 0.5});
  const double corrected[32] = {
      0,
      0,
      0,
      0,
      0,
      0,
      0,
      2.635933087535081,
      1.5312558526437494,
      0.98510426833494924,
      0.77676383561434981,
      0.76809855390644133,
      0.85542760427526654,
      0.95367247620685824,
      0.98603459785271608,
      0.9239404024050778,
      0.80418379385303684,
      0.68133758841862879,
      0.60706292025457187,
      0.60845638577981898,
      0.70195913851146163,
      0.89441620885939643,
      1.1687693937308412,
      1.5347116390063633,
      2.1063516158582969,
      0,
      0,
      0,
      0,
      0,
      0,
      0,
  };
  const double plain[32] = {
      0.00037880731222013526, 0.014572341882076416, 0.07869537422832891,  0.21587165868292119,
      0.40366285025188375,    0.59010406230072765,  0.72390826853362789,  0.78772136100792112,
      0.78872378746091754,    0.75405747006273494,  0.73328335437170133,  0.7657631111529658,
      0.8554637984129958,     0.95367247620685824,  0.98603459785271608,  0.9239404024050778,
      0.80418379385303684,    0.68133758841862879,  0.60706292025457187,  0.60806226450033296,
      0.68823402597157024,    0.8128125115691317,   0.91095938449495983,  0.92822183167904404,
      0.8488235236292746,     0.6954360987728565,   0.50803606610178575,  0.32190812782253958,
      0.16552189579157514,    0.063110691224128213, 0.014139419239539078, 0.00037880731222013413,
  };
  // Both bounds on the data: the correction on both sides, zero outside.
  KernelEstimator k(d.get(), 32, 0.35, 0, 0.0, 1.0);
  // Bounds far away: the plain estimate.
  KernelEstimator far(d.get(), 32, 0.35, 0, -5.0, 5.0);
  for (int j = 0; j < 32; ++j) {
    double x, y, x_far, y_far;
    k.GridPoint(j, x, y);
    far.GridPoint(j, x_far, y_far);
    EXPECT_NEAR(x, -0.35 + j * 1.7 / 31.0, 1e-14) << j;
    EXPECT_NEAR(y, corrected[j], 1e-12) << "corrected, grid point " << j;
    EXPECT_NEAR(y_far, plain[j], 1e-12) << "plain, grid point " << j;
  }
  // Moving the bounds recomputes: the upper bound far away leaves that side plain.
  k.SetUpperBound(5.0);
  for (int j = 16; j < 32; ++j) {
    double x, y;
    k.GridPoint(j, x, y);
    EXPECT_NEAR(y, plain[j], 1e-12) << j;
  }
}

TEST(StatsKernel, GridSizesReportsAndRecomputation) {
  ReportCapture capture;
  auto d = MakeDataset({1.0, 2.0, 2.5, 4.0});
  KernelEstimator k(d.get(), 512, 0.5, 0, 0.0, 0.0);
  EXPECT_TRUE(ReportCapture::texts().empty());
  k.SetNoPoints(512);  // unchanged: nothing
  EXPECT_TRUE(ReportCapture::texts().empty());
  k.SetNoPoints(12);
  ASSERT_EQ(ReportCapture::texts().size(), 1u);
  EXPECT_EQ(ReportCapture::texts()[0],
            "Brantlib Error:\nKernelEstimator: noPoints given equals 12, must be a power of two "
            "and >= 8 in kernest, line 103");
  for (double y : k.Density()) EXPECT_EQ(y, 0.0);  // no estimate on such a grid
  ReportCapture::texts().clear();
  k.SetNoPoints(1);
  ASSERT_EQ(ReportCapture::texts().size(), 2u);
  EXPECT_EQ(ReportCapture::texts()[0],
            "Brantlib Error:\nKernelEstimator: noPoints given equals 1, not a power of two in "
            "kernest, line 99");
  k.SetNoPoints(64);
  EXPECT_EQ(k.ComputedNoPoints(), 64);
  double x, before;
  k.GridPoint(20, x, before);
  k.SetBandwidth(0.5);  // the current value: no recomputation
  EXPECT_EQ(k.ComputedBandwidth(), 0.5);
  k.SetBandwidth(1.0);
  EXPECT_EQ(k.ComputedBandwidth(), 1.0);
  double after;
  k.GridPoint(20, x, after);
  EXPECT_NE(before, after);

  ReportCapture::texts().clear();
  KernelEstimator none(nullptr, 64, 1.0, 0, 0.0, 0.0);
  ASSERT_FALSE(ReportCapture::texts().empty());
  EXPECT_EQ(ReportCapture::texts()[0],
            "Brantlib Error:\nKernelEstimator: NULL dataset given to constructor\n");
  for (double y : none.Density()) EXPECT_EQ(y, 0.0);
}

}  // namespace
