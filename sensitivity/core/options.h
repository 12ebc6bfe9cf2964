// The options dialog's fields checked and turned into settings before
// anything is written.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "settings.h"

namespace tesvane {

struct TOptionsTexts {
  std::string Groups;                // "Number of points in conditional expectation plot"
  std::string RegressionSamples;     // "Number of samples loaded to regression plot (0 = all)"
  std::string DegreeMin, DegreeMax;  // "Minimum ", "Maximum"
  int32_t Precision = 4;
  int32_t NumberFormat = 0;
  bool ImportSelected = true;
  std::array<bool, 12> ColumnShown{};
};

// Checks every field. On success fills `options` (degree minimum 0 becomes
// 1, swapped bounds are exchanged) and returns ""; otherwise returns the
// message and leaves `options` alone.
std::string CheckOptions(const TOptionsTexts& texts, TOptionsSettings& options);

}  // namespace tesvane
