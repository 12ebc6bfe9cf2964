// Small numeric containers of the dependence code: growable lists of integers
// and doubles, fixed-size vectors, a square matrix and its Cholesky factor.
//
// Errors are raised as EMathsError (bad sizes, a matrix that cannot be
// factorised) or std::out_of_range (a bad list position). Each message ends
// with two blanks and the failing operation in brackets, for example
// "Invalid matrix size  [TMatrix.Create]". These exceptions are internal to
// the engine: whoever calls from the C interface catches them and turns the
// message into its result text.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tesmira {

class EMathsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using TIntegersArray = std::vector<int32_t>;
using TDoublesArray = std::vector<double>;

// A growable list of int32; starts empty.
class TIntegersList {
 public:
  // Stores value at position (0 <= position <= Count()), moving the items from
  // position on up by one; InsertItem(v, Count()) appends. Any other position
  // raises std::out_of_range "Invalid insert position  [TIntegersList.InsertItem]".
  void InsertItem(int32_t value, int32_t position);
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  int32_t operator[](int32_t i) const { return items_[static_cast<size_t>(i)]; }
  int32_t& operator[](int32_t i) { return items_[static_cast<size_t>(i)]; }
  const TIntegersArray& Items() const { return items_; }
  void Clear() { items_.clear(); }

 private:
  TIntegersArray items_;
};

// A growable list of doubles; starts empty.
class TDoublesList {
 public:
  void Add(double value) { items_.push_back(value); }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  double operator[](int32_t i) const { return items_[static_cast<size_t>(i)]; }
  double& operator[](int32_t i) { return items_[static_cast<size_t>(i)]; }
  const TDoublesArray& Items() const { return items_; }
  void Clear() { items_.clear(); }

 private:
  TDoublesArray items_;
};

// n doubles, 0-based, all 0; n <= 0 raises EMathsError "Invalid vector size  [TVector.Create]".
class TVector {
 public:
  explicit TVector(int32_t n);
  int32_t Size() const { return size_; }
  double operator[](int32_t i) const { return items_[static_cast<size_t>(i)]; }
  double& operator[](int32_t i) { return items_[static_cast<size_t>(i)]; }
  double* Data() { return items_.data(); }
  const double* Data() const { return items_.data(); }

 private:
  int32_t size_;
  TDoublesArray items_;
};

// n int32, 0-based, all 0; n <= 0 raises EMathsError "Invalid vector size  [TVector.Create]".
class TVectorInteger {
 public:
  explicit TVectorInteger(int32_t n);
  int32_t Size() const { return size_; }
  int32_t operator[](int32_t i) const { return items_[static_cast<size_t>(i)]; }
  int32_t& operator[](int32_t i) { return items_[static_cast<size_t>(i)]; }
  // Copies the first min(Size(), list.Count()) items; the rest stay unchanged.
  void CopyFromList(const TIntegersList& list);

 private:
  int32_t size_;
  TIntegersArray items_;
};

// A square n x n matrix of doubles, 0-based, all 0 when created;
// n <= 0 raises EMathsError "Invalid matrix size  [TMatrix.Create]".
// m[i][j] is row i, column j.
class TMatrix {
 public:
  explicit TMatrix(int32_t n);
  int32_t Size() const { return size_; }
  double* operator[](int32_t i) { return cells_.data() + static_cast<size_t>(i) * size_; }
  const double* operator[](int32_t i) const {
    return cells_.data() + static_cast<size_t>(i) * size_;
  }
  // Copies the leading min(Size(), other.Size()) square block of other.
  void CopyFrom(const TMatrix& other);
  // Sets every diagonal element to x (SetDiagonal(1) on a new matrix gives the identity).
  void SetDiagonal(double x);

 private:
  int32_t size_;
  std::vector<double> cells_;
};

// Fills the lower triangle (diagonal included) of L with the Cholesky factor of
// the symmetric matrix A, row by row; entries above the diagonal are left as
// they are. Raises EMathsError:
//  - "The symmetric matrix and the lower triangular matrix must have the same size
//  [CholeskyDecomposition]"
//    when the sizes differ;
//  - "Invalid floating point operation  [CholeskyDecomposition]" when a diagonal
//    radicand is negative or not a number (A is not positive semi-definite);
//  - "Zero divide  [CholeskyDecomposition]" when a later row needs a zero pivot
//    (A is singular in a way that the factor cannot express).
// A radicand of exactly 0 on the last column that nothing divides by is kept
// (a perfectly correlated pair still has a usable factor). L is never left
// holding NaN: on a fault the exception leaves with the rows done so far.
void CholeskyDecomposition(const TMatrix& A, TMatrix& L);

}  // namespace tesmira
