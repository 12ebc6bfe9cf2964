#include "stats/vector.h"

#include <algorithm>

#include "stats/report.h"

namespace stats {
namespace {

double dummy_element = 0.0;
Vector dummy_row;

void VectorError(const char* what) { ReportError("Vector error : %s\n", what); }
void MatrixError(const char* what) { ReportError("RealMatrix error : %s\n", what); }

}  // namespace

Vector::Vector(std::int32_t size) {
  if (size <= 0) {
    VectorError("vector size must be >0");
    return;
  }
  if (size > kMaxSize) {
    ReportError("Attempt to make vector of size:%d Max Vector size:%d\n", size, kMaxSize);
    size = kMaxSize;
  }
  data_.assign(static_cast<std::size_t>(size), 0.0);
}

double& Vector::operator[](std::int32_t i) {
  if (i < 0 || i >= Size()) {
    VectorError("illegal index");
    dummy_element = 0.0;
    return dummy_element;
  }
  return data_[static_cast<std::size_t>(i)];
}

double Vector::operator[](std::int32_t i) const {
  if (i < 0 || i >= Size()) {
    VectorError("illegal index");
    return 0.0;
  }
  return data_[static_cast<std::size_t>(i)];
}

double Vector::Min() const {
  if (data_.empty()) return 0.0;
  return *std::min_element(data_.begin(), data_.end());
}

double Vector::Max() const {
  if (data_.empty()) return 0.0;
  return *std::max_element(data_.begin(), data_.end());
}

void Vector::Sort() { std::sort(data_.begin(), data_.end()); }

RealMatrix::RealMatrix(std::int32_t rows, std::int32_t columns) { Resize(rows, columns); }

void RealMatrix::Resize(std::int32_t rows, std::int32_t columns) {
  rows_.clear();
  if (rows <= 0) {
    MatrixError("matrix row size must be >0");
    return;
  }
  rows_.reserve(static_cast<std::size_t>(rows));
  for (std::int32_t i = 0; i < rows; ++i) rows_.emplace_back(columns);
}

Vector& RealMatrix::Row(std::int32_t i) {
  if (i < 0 || i >= Rows()) {
    MatrixError("invalid row index");
    if (rows_.empty()) {
      dummy_row = Vector();
      return dummy_row;
    }
    return rows_[0];
  }
  return rows_[static_cast<std::size_t>(i)];
}

const Vector& RealMatrix::Row(std::int32_t i) const {
  if (i < 0 || i >= Rows()) {
    MatrixError("invalid row index");
    return rows_.empty() ? dummy_row : rows_[0];
  }
  return rows_[static_cast<std::size_t>(i)];
}

}  // namespace stats
