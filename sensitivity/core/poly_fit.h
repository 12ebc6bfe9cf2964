// Least-squares polynomial fit by the normal equations, solved by
// Gauss-Jordan elimination with full pivoting.
#pragma once

#include <cstdint>
#include <vector>

#include "matrix.h"

namespace tesvane {

inline constexpr int32_t FitSolved = 0;
inline constexpr int32_t FitSingular = -1;
inline constexpr int32_t FitTooFewSamples = -2;
inline constexpr double FitPivotLimit = 2.220446049250313E-16;

// The status of the last fit on this thread (each worker has its own).
void SetFitStatus(int32_t value);
int32_t GetFitStatus();

// Fits c0 + c1 x + ... + cm x^m to (x, y), n samples, m >= 1. A is sized
// (m+1) x (m+1) and b m+1 by the call. On status 0, b holds the coefficients
// and A the inverse of the normal-equation matrix. Returns the status.
int32_t PolyFit(const double* x, const double* y, int64_t n, int32_t m, TSquareMatrix& A,
                std::vector<double>& b);

// The normal equations of the fit from power sums: sumX[p] = sum of x^p
// (p = 0..2m) and sumXY[p] = sum of x^p y (p = 0..m).
void NormalEquations(const std::vector<double>& sumX, const std::vector<double>& sumXY, int32_t m,
                     TSquareMatrix& A, std::vector<double>& b);

// Solves A z = b in place for rows and columns first..last; sets and returns the status.
int32_t SolveGaussJordan(TSquareMatrix& A, std::vector<double>& b, int32_t first, int32_t last);

}  // namespace tesvane
