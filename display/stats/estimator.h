#pragma once

#include "stats/dataset.h"

namespace stats {

// An estimate over one variable of a dataset (not owned) on the range Min ... Max,
// taken from variable 0 of the dataset.
class Estimator : public TSObject {
 public:
  explicit Estimator(Dataset* data) : Data(data) {}

  virtual void SetRange(double min, double max);
  virtual void ResetRange();
  virtual double GetMin() const { return Min; }
  virtual double GetMax() const { return Max; }
  virtual void Compute() = 0;

 protected:
  Dataset* Data;
  double Min = 0.0;
  double Max = 0.0;
};

}  // namespace stats
