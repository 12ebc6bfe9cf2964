#include "stats/fft.h"

#include <cmath>
#include <utility>

namespace stats {

void ComplexFft(double* data, std::size_t n, int sign) {
  const std::size_t len = n << 1;
  // Bit-reversal reordering of the pairs.
  std::size_t j = 0;
  for (std::size_t i = 0; i < len; i += 2) {
    if (j > i) {
      std::swap(data[j], data[i]);
      std::swap(data[j + 1], data[i + 1]);
    }
    std::size_t m = n;
    while (m >= 2 && j >= m) {
      j -= m;
      m >>= 1;
    }
    j += m;
  }
  // Butterflies for spans 2, 4, ... (in doubles), twiddles by recurrence.
  std::size_t mmax = 2;
  while (len > mmax) {
    const std::size_t istep = mmax << 1;
    const double theta = sign * (6.28318530717959 / static_cast<double>(mmax));
    double wtemp = std::sin(0.5 * theta);
    const double wpr = -2.0 * wtemp * wtemp;
    const double wpi = std::sin(theta);
    double wr = 1.0;
    double wi = 0.0;
    for (std::size_t m = 0; m < mmax; m += 2) {
      for (std::size_t i = m; i < len; i += istep) {
        const std::size_t k = i + mmax;
        const double tempr = wr * data[k] - wi * data[k + 1];
        const double tempi = wr * data[k + 1] + wi * data[k];
        data[k] = data[i] - tempr;
        data[k + 1] = data[i + 1] - tempi;
        data[i] += tempr;
        data[i + 1] += tempi;
      }
      wtemp = wr;
      wr = wr * wpr - wi * wpi + wr;
      wi = wi * wpr + wtemp * wpi + wi;
    }
    mmax = istep;
  }
}

void RealFft(double* data, std::size_t m, int sign) {
  const double c1 = 0.5;
  double c2;
  double theta = 3.141592653589793 / static_cast<double>(m >> 1);
  if (sign == 1) {
    c2 = -0.5;
    ComplexFft(data, m >> 1, 1);
  } else {
    c2 = 0.5;
    theta = -theta;
  }
  double wtemp = std::sin(0.5 * theta);
  const double wpr = -2.0 * wtemp * wtemp;
  const double wpi = std::sin(theta);
  double wr = 1.0 + wpr;
  double wi = wpi;
  for (std::size_t i = 1; i < (m >> 2); ++i) {
    const std::size_t i1 = 2 * i;
    const std::size_t i2 = i1 + 1;
    const std::size_t i3 = m - i1;
    const std::size_t i4 = i3 + 1;
    const double h1r = c1 * (data[i1] + data[i3]);
    const double h1i = c1 * (data[i2] - data[i4]);
    const double h2r = -c2 * (data[i2] + data[i4]);
    const double h2i = c2 * (data[i1] - data[i3]);
    data[i1] = h1r + wr * h2r - wi * h2i;
    data[i2] = h1i + wr * h2i + wi * h2r;
    data[i3] = h1r - wr * h2r + wi * h2i;
    data[i4] = -h1i + wr * h2i + wi * h2r;
    wtemp = wr;
    wr = wr * wpr - wi * wpi + wr;
    wi = wi * wpr + wtemp * wpi + wi;
  }
  const double h1r = data[0];
  if (sign == 1) {
    data[0] = h1r + data[1];
    data[1] = h1r - data[1];
  } else {
    data[0] = c1 * (h1r + data[1]);
    data[1] = c1 * (h1r - data[1]);
    ComplexFft(data, m >> 1, -1);
  }
}

bool IsPowerOfTwo(long long n) {
  for (long long p = 2; p <= n && p > 0; p <<= 1) {
    if ((n | p) == p) return true;
  }
  return false;
}

}  // namespace stats
