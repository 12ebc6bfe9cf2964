#pragma once

#include <cstdint>
#include <vector>

namespace stats {

// Base of the library's objects.
class TSObject {
 public:
  virtual ~TSObject() = default;
};

// A vector of doubles, zero after construction. Sizes outside 1 ... kMaxSize
// are reported and corrected; an index outside the vector is reported and
// gives a shared dummy element.
class Vector : public TSObject {
 public:
  static constexpr std::int32_t kMaxSize = 268435455;

  Vector() = default;  // empty, without a report
  explicit Vector(std::int32_t size);
  Vector(const Vector&) = default;
  Vector& operator=(const Vector&) = default;

  std::int32_t Size() const { return static_cast<std::int32_t>(data_.size()); }
  double& operator[](std::int32_t i);
  double operator[](std::int32_t i) const;
  double* Data() { return data_.data(); }
  const double* Data() const { return data_.data(); }
  // Smallest and largest element, scanning from element 0 (0 for an empty vector).
  double Min() const;
  double Max() const;
  void Sort();

 private:
  std::vector<double> data_;
};

// Rows of vectors; a row index outside the matrix is reported and gives row 0.
class RealMatrix : public TSObject {
 public:
  RealMatrix(std::int32_t rows, std::int32_t columns);
  void Resize(std::int32_t rows, std::int32_t columns);
  std::int32_t Rows() const { return static_cast<std::int32_t>(rows_.size()); }
  Vector& Row(std::int32_t i);
  const Vector& Row(std::int32_t i) const;

 private:
  std::vector<Vector> rows_;
};

}  // namespace stats
