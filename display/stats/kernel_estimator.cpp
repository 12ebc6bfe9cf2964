#include "stats/kernel_estimator.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "stats/fft.h"
#include "stats/report.h"

namespace stats {

double TriweightKernel(double u) {
  double v = u * u;
  if (v > 1.0) return 0.0;
  double w = 1.0 - v;
  return 1.09375 * w * w * w;
}

BoundaryMoments TriweightPartialMoments(double p) {
  double pw[10];  // pw[k] = p^k
  pw[0] = 1.0;
  for (int k = 1; k < 10; ++k) pw[k] = pw[k - 1] * p;
  BoundaryMoments m;
  m.a0 = 0.5 + (35.0 / 32.0) * pw[1] - (35.0 / 32.0) * pw[3] + (21.0 / 32.0) * pw[5] -
         (5.0 / 32.0) * pw[7];
  m.a1 = (35.0 / 64.0) * pw[2] - (105.0 / 128.0) * pw[4] + (35.0 / 64.0) * pw[6] -
         (35.0 / 256.0) * pw[8] - 35.0 / 256.0;
  m.a2 = 1.0 / 18.0 + (35.0 / 96.0) * pw[3] - (21.0 / 32.0) * pw[5] + (15.0 / 32.0) * pw[7] -
         (35.0 / 288.0) * pw[9];
  return m;
}

void BoundaryWeights(double p, double& w0, double& w1) {
  BoundaryMoments m = TriweightPartialMoments(p);
  double det = m.a0 * m.a2 - m.a1 * m.a1;
  w0 = m.a2 / det;
  w1 = -m.a1 / det;
}

KernelEstimator::KernelEstimator(Dataset* data, std::int32_t points, double h, std::int32_t column,
                                 double lower, double upper)
    : Estimator(data) {
  if (!data) ReportError("KernelEstimator: NULL dataset given to constructor\n");
  Bandwidth_ = h;
  Column = column;
  LowerBound_ = lower;
  UpperBound_ = upper;
  LoadData();
  if (data && data->NumPoints() > 0) {
    if (column == 0) {
      Min = DataMin;
      Max = DataMax;
    } else {
      Min = data->ColumnMin(0);
      Max = data->ColumnMax(0);
    }
  }
  NoPoints = 0;
  SetNoPoints(points);
}

void KernelEstimator::LoadData() {
  NumData = 0;
  if (!Data || Data->NumPoints() <= 0 || Column < 0 || Column >= Data->NumVariables()) return;
  const Vector& column = Data->Column(Column);
  NumData = column.Size();
  if (NumData == 0) return;
  const double* x = column.Data();
  double lo = x[0], hi = x[0];
  for (std::int32_t i = 1; i < NumData; ++i) {
    lo = x[i] < lo ? x[i] : lo;
    hi = x[i] > hi ? x[i] : hi;
  }
  DataMin = lo;
  DataMax = hi;
}

void KernelEstimator::SetNoPoints(std::int32_t n) {
  if (n == NoPoints) return;
  if (n == 0 || n == 1) {
    ReportError("KernelEstimator: noPoints given equals %d, not a power of two in %s, line %d", n,
                "kernest", 99);
  }
  if (n < 8 || !IsPowerOfTwo(n)) {
    ReportError(
        "KernelEstimator: noPoints given equals %d, must be a power of two and >= 8 in %s, line %d",
        n, "kernest", 103);
  }
  NoPoints = n;
  try {
    Density_.assign(static_cast<std::size_t>(std::max(n, 0)), 0.0);
  } catch (const std::bad_alloc&) {
    Density_.clear();
    ReportError("KernelEstimator: Could not allocate array for density of size %d in %s, line %d\n",
                n, "kernest", 78);
  }
  Compute();
}

void KernelEstimator::SetBandwidth(double h) {
  if (h == Bandwidth_) return;
  Bandwidth_ = h;
  Compute();
}

void KernelEstimator::SetLowerBound(double lower) {
  if (lower == LowerBound_) return;
  LowerBound_ = lower;
  Compute();
}

void KernelEstimator::SetUpperBound(double upper) {
  if (upper == UpperBound_) return;
  UpperBound_ = upper;
  Compute();
}

void KernelEstimator::Compute() {
  GridStart_ = Min - Bandwidth_;
  GridEnd_ = Max + Bandwidth_;
  GridStep_ = NoPoints > 1 ? (GridEnd_ - GridStart_) / (NoPoints - 1) : 0.0;
  std::fill(Density_.begin(), Density_.end(), 0.0);
  // The transforms need a power of two of at least 8 grid points; the density
  // of an empty dataset, or of no positive bandwidth, stays 0.
  if (NoPoints >= 8 && IsPowerOfTwo(NoPoints) &&
      static_cast<std::size_t>(NoPoints) == Density_.size() && NumData > 0 && Bandwidth_ > 0.0 &&
      std::isfinite(Bandwidth_) && std::isfinite(GridStep_) && GridStep_ > 0.0) {
    try {
      BinnedDensity();
    } catch (const std::bad_alloc&) {
      std::fill(Density_.begin(), Density_.end(), 0.0);
      ReportError("KernelEstimator: Could not allocate work arrays of size %d in %s, line %d\n",
                  NoPoints, "kernest", 140);
    }
  }
  ComputedNoPoints_ = NoPoints;
  ComputedBandwidth_ = Bandwidth_;
}

namespace {

// Linear binning of n values onto the m bins of width delta from a, scaled by
// 1 / (n h); a weight beyond the last grid point wraps to the first. c holds
// 2 (m + 1) values: alternate values go to two sets of bins, so that
// neighbouring values do not wait for each other's sums.
void LinearBinning(const double* x, std::size_t n, double a, double delta, double h, std::size_t m,
                   double* c) {
  const double inv_delta = 1.0 / delta;
  const double limit = static_cast<double>(m);
  double* c2 = c + (m + 1);
  auto bin = [&](double* bins, double value) {
    double t = (value - a) * inv_delta;
    if (!(t >= 0.0 && t < limit)) return;
    std::size_t j = static_cast<std::size_t>(t);
    double f = t - static_cast<double>(j);
    bins[j] += 1.0 - f;
    bins[j + 1] += f;
  };
  std::size_t i = 0;
  for (; i + 1 < n; i += 2) {
    bin(c, x[i]);
    bin(c2, x[i + 1]);
  }
  if (i < n) bin(c, x[i]);
  const double scale = 1.0 / (static_cast<double>(n) * h);
  c[0] += c[m] + c2[m];
  for (std::size_t j = 0; j < m; ++j) c[j] = (c[j] + c2[j]) * scale;
}

// Boundary correction within h of a bound and zero density beyond it: side
// +1 for a lower bound, -1 for an upper one; e is the moment-kernel estimate.
void CorrectAtBound(double* y, const double* e, std::size_t m, double a, double delta, double h,
                    double bound, int side) {
  for (std::size_t j = 0; j < m; ++j) {
    double g = side * (a + static_cast<double>(j) * delta - bound);
    if (g < 0.0) {
      y[j] = 0.0;
    } else if (g < h) {
      double w0, w1;
      BoundaryWeights(g / h, w0, w1);
      y[j] = w0 * y[j] + side * w1 * e[j];
    }
  }
}

}  // namespace

void KernelEstimator::BinnedDensity() {
  const std::size_t m = static_cast<std::size_t>(NoPoints);
  const double a = GridStart_;
  const double delta = GridStep_;
  const double h = Bandwidth_;
  const double lower = LowerBound_;
  const double upper = UpperBound_;
  Bins.assign(2 * (m + 1), 0.0);
  Kernel.resize(m);
  double* c = Bins.data();
  double* y = Density_.data();

  // 1. Linear binning.
  LinearBinning(Data->Column(Column).Data(), static_cast<std::size_t>(NumData), a, delta, h, m, c);

  // 2. Kernel and moment-kernel weights on the circular lags.
  const bool lower_near = DataMin - h < lower && lower <= DataMin;
  const bool upper_near = DataMax + h > upper && DataMax <= upper;
  const bool correct = lower_near || upper_near;
  if (correct) Moment.resize(m);
  const std::size_t half = m / 2;
  for (std::size_t k = 0; k < m; ++k) {
    double lag = k < half ? static_cast<double>(k) : static_cast<double>(m - k);
    double u = lag * delta / h;
    Kernel[k] = TriweightKernel(u);
    if (correct) Moment[k] = (u * u > 1.0) ? 0.0 : (k < half ? u : -u) * Kernel[k];
  }

  // 3-4. Forward transforms.
  RealFft(c, m, 1);
  RealFft(Kernel.data(), m, 1);
  if (correct) RealFft(Moment.data(), m, 1);

  // 5. Convolution; the kernel is even, so its transform is real.
  const double* K = Kernel.data();
  y[0] = c[0] * K[0];
  y[1] = c[1] * K[1];
  for (std::size_t k = 2; k < m; k += 2) {
    y[k] = c[k] * K[k];
    y[k + 1] = c[k + 1] * K[k];
  }

  // 6. Convolution with the moment kernel, which is odd: its transform is imaginary.
  double* e = nullptr;
  if (correct) {
    Correction.resize(m);
    e = Correction.data();
    const double* D = Moment.data();
    e[0] = 0.0;
    e[1] = 0.0;
    for (std::size_t k = 2; k < m; k += 2) {
      e[k] = -c[k + 1] * D[k + 1];
      e[k + 1] = c[k] * D[k + 1];
    }
    RealFft(e, m, -1);
  }

  // 7. Back to the grid (times m/2).
  RealFft(y, m, -1);

  // 8-9. Boundary correction and zero density outside the support.
  if (lower_near) CorrectAtBound(y, e, m, a, delta, h, lower, 1);
  if (upper_near) CorrectAtBound(y, e, m, a, delta, h, upper, -1);

  // 10. The factor 2/m of the inverse transform.
  const double norm = 2.0 / static_cast<double>(m);
  for (std::size_t j = 0; j < m; ++j) y[j] *= norm;
}

void KernelEstimator::GridPoint(std::int32_t k, double& x, double& density) const {
  x = GridStart_ + k * GridStep_;
  density = (k >= 0 && static_cast<std::size_t>(k) < Density_.size())
                ? Density_[static_cast<std::size_t>(k)]
                : 0.0;
}

}  // namespace stats
