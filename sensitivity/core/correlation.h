// Means, variances, the product-moment correlation matrix of a
// job's variables, its determinant and its cofactors.
#pragma once

#include <cstdint>
#include <vector>

#include "matrix.h"
#include "sample_store.h"

namespace tesvane {

// Mean and sample variance of x[0..n-1], in two passes (the variance is never
// negative). Raises ESensitivityError for n < 2.
void MeanAndVariance(const double* x, int64_t n, double& mean, double& variance);

// Fills `matrix` (k x k) with the product-moment correlations of the store's
// rows vector[0..k-1], and `variances` and `means` (k each).
void CorrelationMatrix(int32_t n, const std::vector<int32_t>& vector,
                       const std::vector<std::vector<double>>& samples, TSquareMatrix& matrix,
                       std::vector<double>& variances, std::vector<double>& means);

// s / (sqrt(varX varY) (n - 1)) with s the sum of (x - meanX)(y - meanY);
// 0 unless varX > 0, varY > 0 and n >= 2.
double PearsonCorrelation(const double* x, const double* y, int64_t n, double varX, double varY,
                          double meanX, double meanY);

// Gaussian elimination on a copy, with row exchanges and exact zero tests.
double Determinant(const TSquareMatrix& matrix);

// `target` (k-1 x k-1) is `source` without `row` and `column`.
void BuildMinor(const TSquareMatrix& source, TSquareMatrix& target, int32_t row, int32_t column);

// Cofactors from the determinants of the minors (the matrix is symmetric).
void CofactorMatrix(const TSquareMatrix& correlation, TSquareMatrix& cofactors);

// The first position 0..high whose element equals key (-1 when absent).
int32_t IndexOfInt(int32_t key, const std::vector<int32_t>& array, int32_t high);

}  // namespace tesvane
