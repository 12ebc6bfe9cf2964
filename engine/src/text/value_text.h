// Number texts of the engine's files and messages, independent of the locale.
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
// The same text appended to out, without the decimal expansion for values
// of up to 6 decimals that lie clearly away from a rounding half (long
// tables of such numbers, as the network solver's trace writes).
void AppendFixed(std::string& out, double value, int decimals, int width);

// Reads a whole field as a number with a point as decimal separator: blanks,
// tabs and line ends around it are ignored, a leading "+" is allowed, and
// nothing else may follow. False for an empty or malformed field.
bool ParseNumberField(std::string_view text, double& value);

// Width of a value text in the sample files.
inline constexpr std::size_t kSampleValueWidth = 11;

// The 11-character text of a value: " 1.2345E+02", "-1.2346E-04", " 1.234E+150";
// non-finite values are "Nan", "+Inf", "-Inf" right-aligned. Writes exactly
// 11 characters (no terminator) and returns out + 11.
char* FormatSampleValue(double value, char* out);
// The 13-character text with the four-digit exponent: " 1.2345E+0002".
char* FormatSampleValue13(double value, char* out);
// The 11-character text that always keeps the last two exponent digits
// (the ".SAP" pairs).
char* FormatSampleValueShort(double value, char* out);

}  // namespace tesmira
