#pragma once

#include <cstdint>
#include <vector>

#include "stats/estimator.h"

namespace stats {

// Counts of one dataset variable in bins of equal width from Origin.
class Histogram : public Estimator {
 public:
  // Bins of width w from x0 rounded down to the data, over dataset variable column.
  Histogram(Dataset* data, double w, double x0, std::int32_t column);

  void SetBinWidth(double w);
  void Compute() override;

  std::int32_t GetNumBins() const { return NumBins; }
  // The count of bin i; 0 outside the bins.
  std::int32_t GetCount(std::int32_t i) const;
  double GetBinWidth() const { return BinWidth; }
  double GetMaxCount() const { return MaxCount; }
  double GetOrigin() const { return Origin; }

 private:
  void SetNumBinsFromSpan();

  std::vector<std::int32_t> Counts;
  std::int32_t NumBins = 0;
  std::int32_t Column = 0;
  double BinWidth = 0.0;
  double MaxCount = 0.0;
  double Origin = 0.0;
};

}  // namespace stats
