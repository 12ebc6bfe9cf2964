// A square matrix of doubles, row-major, indexed [row][column].
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tesvane {

class TSquareMatrix {
 public:
  TSquareMatrix() = default;
  explicit TSquareMatrix(int32_t k, double value = 0.0)
      : k_(k), cells_(static_cast<size_t>(k) * static_cast<size_t>(k), value) {}

  int32_t Size() const { return k_; }
  double& operator()(int32_t row, int32_t column) { return cells_[Index(row, column)]; }
  double operator()(int32_t row, int32_t column) const { return cells_[Index(row, column)]; }
  double* Row(int32_t row) { return cells_.data() + Index(row, 0); }
  const double* Row(int32_t row) const { return cells_.data() + Index(row, 0); }

 private:
  size_t Index(int32_t row, int32_t column) const {
    return static_cast<size_t>(row) * static_cast<size_t>(k_) + static_cast<size_t>(column);
  }
  int32_t k_ = 0;
  std::vector<double> cells_;
};

}  // namespace tesvane
