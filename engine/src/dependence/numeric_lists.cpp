#include "dependence/numeric_lists.h"

#include <algorithm>
#include <cmath>

namespace tesmira {

void TIntegersList::InsertItem(int32_t value, int32_t position) {
  if (position < 0 || position > Count())
    throw std::out_of_range("Invalid insert position  [TIntegersList.InsertItem]");
  items_.insert(items_.begin() + position, value);
}

TVector::TVector(int32_t n) : size_(n) {
  if (n <= 0) throw EMathsError("Invalid vector size  [TVector.Create]");
  items_.assign(static_cast<size_t>(n), 0.0);
}

TVectorInteger::TVectorInteger(int32_t n) : size_(n) {
  if (n <= 0) throw EMathsError("Invalid vector size  [TVector.Create]");
  items_.assign(static_cast<size_t>(n), 0);
}

void TVectorInteger::CopyFromList(const TIntegersList& list) {
  int32_t n = std::min(size_, list.Count());
  for (int32_t i = 0; i < n; ++i) items_[static_cast<size_t>(i)] = list[i];
}

TMatrix::TMatrix(int32_t n) : size_(n) {
  if (n <= 0) throw EMathsError("Invalid matrix size  [TMatrix.Create]");
  cells_.assign(static_cast<size_t>(n) * static_cast<size_t>(n), 0.0);
}

void TMatrix::CopyFrom(const TMatrix& other) {
  int32_t n = std::min(size_, other.size_);
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = 0; j < n; ++j) (*this)[i][j] = other[i][j];
}

void TMatrix::SetDiagonal(double x) {
  for (int32_t i = 0; i < size_; ++i) (*this)[i][i] = x;
}

void CholeskyDecomposition(const TMatrix& A, TMatrix& L) {
  if (A.Size() != L.Size())
    throw EMathsError(
        "The symmetric matrix and the lower triangular matrix must have the same size  "
        "[CholeskyDecomposition]");
  const int32_t n = A.Size();
  for (int32_t i = 0; i < n; ++i) {
    for (int32_t j = 0; j < i; ++j) {
      double sum = A[i][j];
      for (int32_t k = 0; k < j; ++k) sum -= L[j][k] * L[i][k];
      if (L[j][j] == 0.0) throw EMathsError("Zero divide  [CholeskyDecomposition]");
      double value = (1.0 / L[j][j]) * sum;
      if (!std::isfinite(value))
        throw EMathsError("Invalid floating point operation  [CholeskyDecomposition]");
      L[i][j] = value;
    }
    double radicand = A[i][i];
    for (int32_t k = 0; k < i; ++k) radicand -= L[i][k] * L[i][k];
    if (!(radicand >= 0.0) || !std::isfinite(radicand))
      throw EMathsError("Invalid floating point operation  [CholeskyDecomposition]");
    L[i][i] = std::sqrt(radicand);
  }
}

}  // namespace tesmira
