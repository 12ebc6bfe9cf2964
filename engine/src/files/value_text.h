// Number texts of the simulation's files, independent of the locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tesmira {

// The decimal expansion of |value| to 18 significant digits, correctly
// rounded: digits[0..17] and the decimal exponent of the first digit.
// value must be finite and not zero.
void DecimalDigits18(double value, char digits[18], int& exponent);

// Scientific text with `significant` digits (1..17) rounded half up from the
// 18-digit expansion and an exponent of `exponentDigits` digits (at least):
// a sign position (blank or "-"), d.ddd..., "E", the exponent sign and the
// exponent. Returns the number of characters written (no terminator).
std::size_t FormatScientific(double value, int significant, int exponentDigits, char* out);

// Fixed notation with `decimals` decimals rounded half up, right-aligned in
// `width` characters (wider when needed).
std::string FormatFixed(double value, int decimals, int width);

// Reads a whole field as a number with a point as decimal separator: blanks,
// tabs and line ends around it are ignored, a leading "+" is allowed, and
// nothing else may follow. False for an empty or malformed field.
bool ParseNumberField(std::string_view text, double& value);

}  // namespace tesmira
