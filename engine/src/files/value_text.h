// Number texts of the simulation's files, independent of the locale.
#pragma once

#include <cstddef>
#include <string>

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

}  // namespace tesmira
