#include "correlation.h"

#include <cmath>
#include <utility>

namespace tesvane {

void MeanAndVariance(const double* x, int64_t n, double& mean, double& variance) {
  if (n < 2) throw ESensitivityError("At least two samples are needed to compute a variance");
  double s = 0.0;
  for (int64_t i = 0; i < n; ++i) s += x[i];
  const double m = s / static_cast<double>(n);
  double ss = 0.0, c = 0.0;
  for (int64_t i = 0; i < n; ++i) {
    double d = x[i] - m;
    ss += d * d;
    c += d;
  }
  // The corrected two-pass form: c is the rounding error of the mean.
  double v = (ss - c * c / static_cast<double>(n)) / static_cast<double>(n - 1);
  mean = m;
  variance = v > 0.0 ? v : 0.0;
}

double PearsonCorrelation(const double* x, const double* y, int64_t n, double varX, double varY,
                          double meanX, double meanY) {
  double s = 0.0;
  for (int64_t i = 0; i < n; ++i) s += (x[i] - meanX) * (y[i] - meanY);
  if (varX > 0.0 && varY > 0.0 && n >= 2)
    return s / (std::sqrt(varX * varY) * static_cast<double>(n - 1));
  return 0.0;
}

void CorrelationMatrix(int32_t n, const std::vector<int32_t>& vector,
                       const std::vector<std::vector<double>>& samples, TSquareMatrix& matrix,
                       std::vector<double>& variances, std::vector<double>& means) {
  const int32_t k = static_cast<int32_t>(vector.size());
  matrix = TSquareMatrix(k);
  variances.assign(static_cast<size_t>(k), 0.0);
  means.assign(static_cast<size_t>(k), 0.0);
  for (int32_t i = 0; i < k; ++i)
    MeanAndVariance(samples[static_cast<size_t>(vector[static_cast<size_t>(i)])].data(), n,
                    means[static_cast<size_t>(i)], variances[static_cast<size_t>(i)]);
  for (int32_t j = 0; j < k; ++j) {
    matrix(j, j) = 1.0;
    for (int32_t l = j + 1; l < k; ++l) {
      double r =
          PearsonCorrelation(samples[static_cast<size_t>(vector[static_cast<size_t>(j)])].data(),
                             samples[static_cast<size_t>(vector[static_cast<size_t>(l)])].data(), n,
                             variances[static_cast<size_t>(j)], variances[static_cast<size_t>(l)],
                             means[static_cast<size_t>(j)], means[static_cast<size_t>(l)]);
      matrix(j, l) = r;
      matrix(l, j) = r;
    }
  }
}

double Determinant(const TSquareMatrix& matrix) {
  const int32_t k = matrix.Size();
  if (k == 0) return 1.0;
  TSquareMatrix a = matrix;
  double sign = 1.0;
  for (int32_t i = 0; i + 1 < k; ++i) {
    if (a(i, i) == 0.0) {
      for (int32_t j = i + 1; j < k; ++j) {
        if (a(j, i) != 0.0) {
          for (int32_t c = 0; c < k; ++c) std::swap(a(i, c), a(j, c));
          sign = -sign;
          break;
        }
      }
    }
    if (a(i, i) == 0.0) return 0.0;
    const double* pivotRow = a.Row(i);
    for (int32_t j = i + 1; j < k; ++j) {
      double* row = a.Row(j);
      if (row[i] == 0.0) continue;
      const double f = row[i] / pivotRow[i];
      for (int32_t c = i; c < k; ++c) row[c] -= f * pivotRow[c];
    }
  }
  double d = sign;
  for (int32_t i = 0; i < k; ++i) d *= a(i, i);
  return d;
}

void BuildMinor(const TSquareMatrix& source, TSquareMatrix& target, int32_t row, int32_t column) {
  const int32_t k = source.Size();
  target = TSquareMatrix(k - 1);
  int32_t r = 0;
  for (int32_t i = 0; i < k; ++i) {
    if (i == row) continue;
    int32_t c = 0;
    for (int32_t j = 0; j < k; ++j) {
      if (j == column) continue;
      target(r, c++) = source(i, j);
    }
    ++r;
  }
}

void CofactorMatrix(const TSquareMatrix& correlation, TSquareMatrix& cofactors) {
  const int32_t k = correlation.Size();
  cofactors = TSquareMatrix(k);
  if (k == 1) {
    cofactors(0, 0) = 1.0;
    return;
  }
  TSquareMatrix minor;
  for (int32_t i = 0; i < k; ++i) {
    for (int32_t j = i; j < k; ++j) {
      BuildMinor(correlation, minor, i, j);
      double c = Determinant(minor);
      if ((i + j) % 2 == 1) c = -c;
      cofactors(i, j) = c;
      cofactors(j, i) = c;
    }
  }
}

int32_t IndexOfInt(int32_t key, const std::vector<int32_t>& array, int32_t high) {
  for (int32_t i = 0; i <= high && i < static_cast<int32_t>(array.size()); ++i)
    if (array[static_cast<size_t>(i)] == key) return i;
  return -1;
}

}  // namespace tesvane
