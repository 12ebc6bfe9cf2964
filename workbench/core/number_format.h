// The workbench's display of numbers: the "%*.*e", "%*.*f" and "%*.*g"
// formats of the number-format options, written with a point whatever the
// locale and rounded half up from the number's decimal expansion.
#pragma once

#include <string>

namespace tesmira::wb {

// The five display settings of the Options dialog, the settings file and the
// model file header.
struct TDisplaySettings {
  int quantperdistrib = 0;  // 0, 1, 2: 100, 1000, 10000 quantiles per distribution
  int fpformat = 2;         // 0 "e", 1 "f", 2 "g"
  int fpwidth = 0;          // minimum field width, 0..20
  int fpprecision = 5;      // 0..18
  int fpprecisionCMX = 2;   // decimals of correlations, 0..4
};

// letter 0 "e": precision significant digits (0 counts as 1), "E", the
//   exponent's sign and at least three digits;
// letter 1 "f": precision decimals;
// letter 2 "g": precision significant digits (0 counts as 1) in fixed or, for
//   exponents below -4 or from the precision on, exponent form, trailing zeros
//   dropped.
// The text is padded with blanks on the left to width characters.
std::string FormatNumberAs(double value, int letter, int width, int precision);

// The value in the format of the settings (fpformat, fpwidth, fpprecision).
std::string FormatNumber(double value, const TDisplaySettings& settings);
// "%*.*f" with width 0 and fpprecisionCMX decimals.
std::string FormatCorrelation(double value, const TDisplaySettings& settings);

}  // namespace tesmira::wb
