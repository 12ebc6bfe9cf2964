#include "stats/estimator.h"

namespace stats {

void Estimator::SetRange(double min, double max) {
  Min = min;
  Max = max;
  Compute();
}

void Estimator::ResetRange() {
  if (Data) {
    Min = Data->ColumnMin(0);
    Max = Data->ColumnMax(0);
  }
  Compute();
}

}  // namespace stats
