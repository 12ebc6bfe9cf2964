#include "options.h"

#include <utility>

namespace tesvane {

std::string CheckOptions(const TOptionsTexts& texts, TOptionsSettings& options) {
  int32_t groups = 0, samples = 0, lo = 0, hi = 0;
  for (auto [text, value] :
       {std::pair{&texts.Groups, &groups}, std::pair{&texts.RegressionSamples, &samples},
        std::pair{&texts.DegreeMin, &lo}, std::pair{&texts.DegreeMax, &hi}})
    if (!ParseInt32(*text, *value)) return "'" + *text + "' is not a valid integer value";
  if (groups < 1 || groups > MaxGroupCount)
    return "The number of points in conditional expectation plot must lie between 1 and " +
           std::to_string(MaxGroupCount);
  if (samples < 0) return "The number of samples loaded to regression plot must not be negative";
  if (lo == 0) lo = 1;
  if (lo > hi) std::swap(lo, hi);
  if (lo < 1 || hi > DegreeLimit)
    return "The degree of the polynomial must lie between 1 and " + std::to_string(DegreeLimit);
  options.GroupCount = groups;
  options.SamplesForRegressionPlot = samples;
  options.DegreeMin = lo;
  options.DegreeMax = hi;
  options.Precision = texts.Precision < 1 ? 1 : (texts.Precision > 15 ? 15 : texts.Precision);
  options.NumberFormat = texts.NumberFormat == 0 ? 0 : 1;
  options.ImportSelected = texts.ImportSelected;
  options.ColumnShown = texts.ColumnShown;
  return {};
}

}  // namespace tesvane
